#pragma once
// Modbus RTU on a serial port: each request followed by its CRC, each answer read in stages as
// its function code announces it and checked against its CRC, with the line's quiet time kept
// after it.
//
// The line has no transaction identifier, so whatever waits in the input before a request (a
// late answer to an exchange already given up, noise) is discarded first.

#include "modbus/CModbusTransport.h"
#include "modbus/CSerialIO.h"

#include <chrono>
#include <cstdint>

struct ComSettings;

class CModbusRtuTransport final : public CModbusTransport {
public:
    // The whole wait for an answer of `bytes` (both frames with their CRCs) at `baud` bit/s: a
    // base time plus 17 bit times per byte.
    static std::chrono::milliseconds ResponseTimeout(std::chrono::milliseconds base,
                                                     std::size_t bytes, std::int32_t baud);
    // The quiet time after an answer: a little over 3.5 character times at any rate.
    static std::chrono::milliseconds PauseAfterResponse(std::int32_t baud);

    // Opens and configures the port that the settings name; `slowLink` applies the 1200 bit/s
    // time-out of mode 2. Throws "serio.openerr" or "MSG_CANNOT_COM_SETTING".
    CModbusRtuTransport(const ComSettings& settings, bool slowLink);
    ~CModbusRtuTransport() override;

    std::uint16_t SendRequest(std::span<const std::uint8_t> request) override;
    void SetResponseTimeout(std::chrono::milliseconds base, std::size_t bytes) override;
    ModbusReply ReceiveResponse(std::size_t expectedLength, DirectAnswer* answer) override;

    const CSerialIO& Port() const { return m_port; }

private:
    // Reads the rest of a frame whose first two bytes are in `frame`, as its function code
    // announces it. False when the frame broke off or its layout is unknown.
    bool ReadFrameBody(std::vector<std::uint8_t>& frame, CSerialIO::Clock::time_point deadline);
    bool ReadMore(std::vector<std::uint8_t>& frame, std::size_t count,
                  CSerialIO::Clock::time_point deadline);

    CSerialIO m_port;
    std::int32_t m_baud;
    std::int32_t m_timeoutRate;
};
