#pragma once
// Modbus TCP: one stream connection, each request in an MBAP header, each answer read under a
// watchdog that ends a receive blocking longer than the watchdog time.
//
// TCP is a byte stream, so an answer is read in stages: the 6-byte header, then exactly the
// length it announces. Bytes that wait on the socket before a request (a late answer to an
// exchange already given up) are discarded, so they never pass for the next answer.

#include "modbus/CFileDescriptor.h"
#include "modbus/CModbusTransport.h"

#include <atomic>
#include <chrono>
#include <memory>

struct ComSettings;
class CCancelEvent;
class CObserver;
class CTimerThread;

class CModbusTcpTransport final : public CModbusTransport {
public:
    // How long a receive may block, whatever the exchange.
    static constexpr std::chrono::milliseconds kWatchdogTime{5000};
    // Unit identifier and the largest PDU (253 bytes): the most an MBAP length may announce.
    static constexpr std::size_t kMaximumLength = 254;

    // Resolves ServerAddress and ServicePort (IPv4) and connects; `cancel` can end the connect
    // and every later receive; `watchdogObserver` hears the watchdog's ticks. Throws
    // "mbio.tcperr" with the system's reason.
    CModbusTcpTransport(const ComSettings& settings, CCancelEvent& cancel,
                        CObserver& watchdogObserver);
    ~CModbusTcpTransport() override;

    std::uint16_t SendRequest(std::span<const std::uint8_t> request) override;
    void SetResponseTimeout(std::chrono::milliseconds base, std::size_t bytes) override;
    ModbusReply ReceiveResponse(std::size_t expectedLength, DirectAnswer* answer) override;
    bool IsWatchdog(const void* source) const override;

    // The process-wide transaction counter, shared by every client; the next request carries
    // the value after this one.
    static std::uint16_t LastTransactionId();
    static void SetLastTransactionId(std::uint16_t value);

private:
    void Connect(const ComSettings& settings);
    // Reads until `buffer` is full; stops early when the peer closes, on an error or when the
    // call is cancelled. Returns the number of bytes read.
    std::size_t ReadExact(std::span<std::uint8_t> buffer);
    void DiscardWaitingInput();

    static std::atomic<std::uint16_t> s_transactionCounter;

    CCancelEvent& m_cancel;
    CFileDescriptor m_socket;
    std::chrono::milliseconds m_watchdogTime = kWatchdogTime;
    std::unique_ptr<CTimerThread> m_watchdog;
};
