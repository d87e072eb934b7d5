#pragma once
// "Ethernet (Direct)": no connection at all. Each request goes out in the 18-byte Direct
// header as one UDP datagram from every IPv4 address of every adapter that is up, to the
// broadcast destination; a device that finds its node address (or all ones) as destination
// answers the socket that sent it.
//
// The sockets of one request live until the next request (or until the transport goes), so
// that answers arriving late in a broadcast read are still collected. A receive takes the
// first datagram that is an answer for this PC, reading one datagram per socket per pass and
// dropping whatever is not such an answer (the PC's own broadcast, a frame for another PC, a
// datagram too short or too long), and waits at most kReceiveWait for one.

#include "connection/ComSettings.h"
#include "modbus/CDirectNetwork.h"
#include "modbus/CDirectSocket.h"
#include "modbus/CModbusTransport.h"

#include <atomic>
#include <chrono>
#include <vector>

class CCancelEvent;

class CModbusDirectTransport final : public CModbusTransport {
public:
    static constexpr std::chrono::milliseconds kReceiveWait{1000};

    // Takes the node addresses from `settings`. `cancelEvent` wakes a waiting receive;
    // `cancelFlag` (the client's) is what the receive looks at.
    CModbusDirectTransport(const ComSettings& settings, CDirectNetwork network, CCancelEvent& cancelEvent,
                           const std::atomic<bool>& cancelFlag);
    ~CModbusDirectTransport() override;

    std::uint16_t SendRequest(std::span<const std::uint8_t> request) override;
    // The wait of a Direct receive is fixed.
    void SetResponseTimeout(std::chrono::milliseconds base, std::size_t bytes) override;
    ModbusReply ReceiveResponse(std::size_t expectedLength, DirectAnswer* answer) override;

    // The process-wide Direct transaction counter, apart from Modbus TCP's; the next request
    // carries the value after this one.
    static std::uint16_t LastTransactionId();
    static void SetLastTransactionId(std::uint16_t value);

private:
    // True when the datagram in `frame` is an answer addressed to this PC.
    bool IsAnswerForUs(std::span<const std::uint8_t> frame) const;
    bool Cancelled() const;

    static std::atomic<std::uint16_t> s_transactionCounter;

    ComSettings::NodeAddress m_ownNode;
    ComSettings::NodeAddress m_targetNode;
    CDirectNetwork m_network;
    CCancelEvent& m_cancelEvent;
    const std::atomic<bool>& m_cancelFlag;
    std::vector<CDirectSocket> m_sockets;
};
