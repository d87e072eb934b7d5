#include "modbus/CModbusRtuTransport.h"

#include "connection/ComSettings.h"
#include "modbus/CModbusCrc.h"

#include <thread>

namespace {

constexpr std::int32_t kSlowLinkRate = 1200;
// How long the input may take to fall silent before a request goes out.
constexpr std::chrono::milliseconds kFlushTime{1};

} // namespace

std::chrono::milliseconds CModbusRtuTransport::ResponseTimeout(std::chrono::milliseconds base,
                                                               std::size_t bytes, std::int32_t baud)
{
    return base + std::chrono::milliseconds(static_cast<std::int64_t>(bytes) * 17000 / baud);
}

std::chrono::milliseconds CModbusRtuTransport::PauseAfterResponse(std::int32_t baud)
{
    return std::chrono::milliseconds(120000 / baud + 1);
}

CModbusRtuTransport::CModbusRtuTransport(const ComSettings& settings, bool slowLink)
    : m_baud(settings.GetBaudRate()), m_timeoutRate(slowLink ? kSlowLinkRate : settings.GetBaudRate())
{
    m_port.Configure(settings);
    m_port.SetReadTimeout(std::chrono::milliseconds(3000));
}

CModbusRtuTransport::~CModbusRtuTransport() = default;

std::uint16_t CModbusRtuTransport::SendRequest(std::span<const std::uint8_t> request)
{
    m_port.SetReadTimeouts(kFlushTime, std::chrono::milliseconds::zero());
    m_port.DiscardInput();
    std::vector<std::uint8_t> frame(request.begin(), request.end());
    CModbusCrc::Append(frame);
    m_port.Write(frame);
    return 0;
}

void CModbusRtuTransport::SetResponseTimeout(std::chrono::milliseconds base, std::size_t bytes)
{
    m_port.SetReadTimeout(ResponseTimeout(base, bytes, m_timeoutRate));
}

ModbusReply CModbusRtuTransport::ReceiveResponse(std::size_t, DirectAnswer*)
{
    const auto deadline = CSerialIO::Clock::now() + m_port.GetTimeouts().readTotal;
    ModbusReply reply;
    std::vector<std::uint8_t> frame;
    const bool whole = ReadMore(frame, 2, deadline) && ReadFrameBody(frame, deadline);
    if (frame.empty()) {
        reply.outcome = ModbusReply::Outcome::NoAnswer;
    } else if (!whole) {
        reply.outcome = ModbusReply::Outcome::Incomplete;
        reply.payload = std::move(frame);
    } else if (!CModbusCrc::Check(frame)) {
        // No quiet time after a corrupted frame: the next attempt flushes the input anyway.
        reply.outcome = ModbusReply::Outcome::CrcError;
        return reply;
    } else {
        reply.outcome = ModbusReply::Outcome::Complete;
        frame.resize(frame.size() - 2);
        reply.payload = std::move(frame);
    }
    std::this_thread::sleep_for(PauseAfterResponse(m_baud));
    return reply;
}

bool CModbusRtuTransport::ReadFrameBody(std::vector<std::uint8_t>& frame,
                                        CSerialIO::Clock::time_point deadline)
{
    constexpr std::size_t kCrc = 2;
    const std::uint8_t function = frame[1];
    if (function & 0x80)
        return ReadMore(frame, 1 + kCrc, deadline); // exception code
    switch (function) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
        // Byte count, then that many data bytes.
        return ReadMore(frame, 1, deadline) && ReadMore(frame, frame[2] + kCrc, deadline);
    case 0x05:
    case 0x06:
    case 0x0F:
    case 0x10:
        return ReadMore(frame, 4 + kCrc, deadline); // echoed address and value or quantity
    default:
        // The length of an unknown function's answer cannot be known; what follows is
        // discarded before the next request.
        return false;
    }
}

bool CModbusRtuTransport::ReadMore(std::vector<std::uint8_t>& frame, std::size_t count,
                                   CSerialIO::Clock::time_point deadline)
{
    const std::size_t start = frame.size();
    frame.resize(start + count);
    const std::size_t got = m_port.Read(std::span(frame).subspan(start), deadline);
    frame.resize(start + got);
    return got == count;
}
