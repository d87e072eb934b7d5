#include "modbus/CModbusInterface.h"

#include "app/CResourceDatabase.h"
#include "modbus/CDebugTrace.h"
#include "modbus/CModbusDirectTransport.h"
#include "modbus/CModbusRequest.h"
#include "modbus/CModbusRtuTransport.h"
#include "modbus/CModbusTcpTransport.h"
#include "modbus/CPrivateException.h"
#include "modbus/DirectAnswer.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr std::chrono::milliseconds kReadBaseTime{1000};
constexpr std::chrono::milliseconds kWriteBaseTime{4000};
// How long a broadcast read collects answers after each broadcast.
constexpr std::chrono::milliseconds kCollectTime{1000};

// The operation names that error messages show.
constexpr const char* kReadCoilsName = "Read Coils";
constexpr const char* kReadInputsName = "Read Discrete Inputs";
constexpr const char* kReadRegistersName = "ReadHoldingRegister";
constexpr const char* kWriteRegistersName = "WriteMultipleRegisters";
constexpr const char* kWriteCoilName = "WriteSingleCoil";

void Trace(const QString& line)
{
    CDebugTrace::Write(line);
}

// A detail text is shown as the language file has it; a missing one shows its key.
QString DetailText(const char* key)
{
    const QString text = CResourceDatabase::Instance().GetMessageText(QString::fromLatin1(key));
    return text.isEmpty() ? QString::fromLatin1(key) : text;
}

// A caller's mistake is refused before anything is sent, rather than wrapping the address or
// writing past the caller's buffer.
void CheckAddresses(std::uint16_t address, std::size_t count)
{
    if (static_cast<std::size_t>(address) + count > 0x10000)
        throw std::out_of_range("Modbus request beyond address 65535");
}

void CheckRange(std::uint16_t address, std::size_t count, std::size_t available, std::size_t needed)
{
    CheckAddresses(address, count);
    if (available < needed)
        throw std::out_of_range("Modbus buffer smaller than the count");
}

} // namespace

// Chunk sizes. Mode 2 (the slow link) keeps requests short. Otherwise a chunk is as large as
// one request may be: at most 125 registers per read and 123 per write (the register quantity
// goes out in one byte, and the answer's byte count must fit in one byte as well) and 2000
// bits per read (a multiple of 8, so that every chunk starts on a byte of the caller's buffer).
struct CModbusInterface::Chunking {
    std::uint16_t readRegisters;
    std::uint16_t writeRegisters;
    std::uint16_t bits;
};

CModbusInterface::CModbusInterface() = default;

CModbusInterface::~CModbusInterface()
{
    Close();
}

void CModbusInterface::Open()
{
    Close();
    m_cancelEvent.Reset();
    switch (m_settings.Mode) {
    case ComSettings::ModeTcp:
        m_transport = std::make_unique<CModbusTcpTransport>(m_settings, m_cancelEvent, *this);
        break;
    case ComSettings::ModeDirect:
        // Holds no socket yet: each request makes its own.
        m_transport = std::make_unique<CModbusDirectTransport>(
            m_settings, m_directNetwork.value_or(CDirectNetwork::ProcessDefault()), m_cancelEvent, m_cancel);
        break;
    default:
        m_transport = std::make_unique<CModbusRtuTransport>(
            m_settings, m_settings.Mode == ComSettings::ModeSlowSerial);
        break;
    }
}

void CModbusInterface::Close()
{
    m_transport.reset();
}

void CModbusInterface::Cancel()
{
    m_cancel = true;
    if (m_cancelEvent.Cancel() && m_settings.Mode == ComSettings::ModeTcp)
        Trace(QStringLiteral("CancelBlockingCall\n"));
}

void CModbusInterface::Update(void* source)
{
    if (m_transport && m_transport->IsWatchdog(source))
        m_cancelEvent.Interrupt();
}

std::uint8_t CModbusInterface::UnitId() const
{
    return m_settings.Mode == ComSettings::ModeSlowSerial
        ? 1
        : static_cast<std::uint8_t>(m_settings.Address & 0xFF);
}

int CModbusInterface::MaxAttempts() const
{
    return m_settings.Mode == ComSettings::ModeSlowSerial ? 10 : 3;
}

CModbusInterface::Chunking CModbusInterface::ChunkSizes() const
{
    if (m_settings.Mode == ComSettings::ModeSlowSerial)
        return {8, 8, 128};
    return {125, 123, 2000};
}

bool CModbusInterface::ReadCoils(std::uint16_t address, std::uint16_t count, std::span<std::uint8_t> bits)
{
    return ReadBits(CModbusRequest::ReadCoils, kReadCoilsName, address, count, bits);
}

bool CModbusInterface::ReadDiscreteInputs(std::uint16_t address, std::uint16_t count,
                                          std::span<std::uint8_t> bits)
{
    return ReadBits(CModbusRequest::ReadDiscreteInputs, kReadInputsName, address, count, bits);
}

bool CModbusInterface::ReadBits(std::uint8_t function, const char* name, std::uint16_t address,
                                std::uint16_t count, std::span<std::uint8_t> bits)
{
    CheckRange(address, count, bits.size(), (static_cast<std::size_t>(count) + 7) / 8);
    const std::uint16_t chunk = ChunkSizes().bits;
    for (std::size_t done = 0; done < count; done += chunk) {
        const auto size = static_cast<std::uint16_t>(std::min<std::size_t>(chunk, count - done));
        const auto at = static_cast<std::uint16_t>(address + done);
        const auto request = CModbusRequest::ReadBits(
            UnitId(), static_cast<CModbusRequest::Function>(function), at, size);
        Trace(QStringLiteral("%1: adrs=%2 size=%3\n").arg(QLatin1String(name)).arg(at + 1).arg(size));
        const auto response = Transact(request, name, at, size);
        const std::size_t bytes = (static_cast<std::size_t>(size) + 7) / 8;
        std::copy_n(response.begin() + 3, bytes, bits.begin() + static_cast<std::ptrdiff_t>(done / 8));
    }
    return true;
}

bool CModbusInterface::ReadHoldingRegisters(std::uint16_t address, std::uint16_t count,
                                            std::span<std::uint16_t> values)
{
    CheckRange(address, count, values.size(), count);
    const std::uint16_t chunk = ChunkSizes().readRegisters;
    for (std::size_t done = 0; done < count; done += chunk) {
        const auto size = static_cast<std::uint8_t>(std::min<std::size_t>(chunk, count - done));
        const auto at = static_cast<std::uint16_t>(address + done);
        const auto request = CModbusRequest::ReadRegisters(UnitId(), at, size);
        Trace(QStringLiteral("ReadHoldingRegisters: adrs=%1 size=%2\n").arg(at + 1).arg(size));
        const auto response = Transact(request, kReadRegistersName, at, size);
        for (std::size_t i = 0; i < size; ++i)
            values[done + i] = static_cast<std::uint16_t>((response[3 + 2 * i] << 8) | response[4 + 2 * i]);
    }
    return true;
}

bool CModbusInterface::WriteMultipleRegisters(std::uint16_t address, std::uint16_t count,
                                              std::span<const std::uint16_t> values)
{
    CheckRange(address, count, values.size(), count);
    const std::uint16_t chunk = ChunkSizes().writeRegisters;
    for (std::size_t done = 0; done < count; done += chunk) {
        const auto size = static_cast<std::uint16_t>(std::min<std::size_t>(chunk, count - done));
        const auto at = static_cast<std::uint16_t>(address + done);
        const auto request = CModbusRequest::WriteRegisters(UnitId(), at, values.subspan(done, size));
        Trace(QStringLiteral("WriteMultipleRegisters: adrs=%1 size=%2\n").arg(at + 1).arg(size));
        Transact(request, kWriteRegistersName, at, size);
    }
    return true;
}

bool CModbusInterface::WriteSingleCoil(std::uint16_t address, bool on)
{
    const auto request = CModbusRequest::WriteCoil(UnitId(), address, on);
    Trace(QStringLiteral("WriteSingleCoil: adrs=%1\n").arg(address + 1));
    Transact(request, kWriteCoilName, address, 1);
    return true;
}

std::vector<std::uint8_t> CModbusInterface::Transact(const CModbusRequest& request, const char* name,
                                                     std::uint16_t address, std::uint16_t count)
{
    const auto base = request.IsRead() ? kReadBaseTime : kWriteBaseTime;
    const std::size_t exchangeBytes = request.Bytes().size() + request.ExpectedResponseLength() + 4;
    m_cancel = false;
    m_cancelEvent.Reset();
    for (int failures = 0;;) {
        try {
            const std::uint16_t id = SendRequest(request);
            SetResponseTimeout(base, exchangeBytes);
            auto response = ReceiveResponse(request, name, address, count, id, nullptr);
            // A read that was cancelled while it ran hands back nothing.
            if (request.IsRead() && m_cancel)
                throw CPrivateException(QString());
            return response;
        } catch (const CException&) {
            if (++failures >= MaxAttempts() || m_cancel)
                throw;
        }
    }
}

std::uint16_t CModbusInterface::SendRequest(const CModbusRequest& request)
{
    return m_transport ? m_transport->SendRequest(request.Bytes()) : 0;
}

void CModbusInterface::SetResponseTimeout(std::chrono::milliseconds base, std::size_t bytes)
{
    if (m_transport)
        m_transport->SetResponseTimeout(base, bytes);
}

std::vector<std::uint8_t> CModbusInterface::ReceiveResponse(const CModbusRequest& request,
                                                            const char* name, std::uint16_t address,
                                                            std::uint16_t count,
                                                            std::uint16_t transactionId,
                                                            DirectAnswer* answer)
{
    ModbusReply reply;
    if (m_transport)
        reply = m_transport->ReceiveResponse(request.ExpectedResponseLength(), answer);

    auto fail = [&](const QString& traceLine, const QString& detail) {
        Trace(traceLine);
        throw CPrivateException("mbio.message", QString::fromLatin1(name), address + 1, count, detail);
    };
    using Outcome = ModbusReply::Outcome;
    const auto& payload = reply.payload;
    const std::size_t expected = request.ExpectedResponseLength();

    if (reply.outcome == Outcome::CrcError)
        fail(QStringLiteral("CRC error\n"), DetailText("mbio.crcerr"));
    if (reply.outcome == Outcome::NoAnswer)
        fail(QStringLiteral("Timeout\n"), DetailText("mbio.timeout"));
    if (reply.transactionId != transactionId)
        fail(QStringLiteral("Invalid transaction\n"), DetailText("mbio.invalid_transaction"));
    if (reply.outcome == Outcome::Complete && payload.size() >= 3 && (payload[1] & 0x80)) {
        const int code = payload[2];
        fail(QStringLiteral("Exception %1\n").arg(code), CPrivateException::ComposeMessage("mbio.exception", {code}));
    }
    // A read's byte count must announce exactly the data asked for: an answer whose count
    // disagrees with its length cannot be trusted to carry the registers at the right places.
    const bool countMismatch = request.IsRead() && payload.size() >= 3 && payload[2] != expected - 3;
    if (reply.outcome != Outcome::Complete || payload.size() < expected || countMismatch)
        fail(QStringLiteral("Invalid response\n"), DetailText("mbio.invalid_response"));
    return {payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(expected)};
}

bool CModbusInterface::ReadHoldingRegistersFromAll(std::uint16_t address, std::uint16_t count,
                                                   std::size_t wanted,
                                                   std::vector<DirectAnswer>& answers)
{
    if (m_settings.Mode != ComSettings::ModeDirect)
        return false;
    CheckAddresses(address, count);
    const std::uint16_t chunk = ChunkSizes().readRegisters;
    for (std::size_t done = 0; done < count; done += chunk) {
        const auto size = static_cast<std::uint8_t>(std::min<std::size_t>(chunk, count - done));
        const auto at = static_cast<std::uint16_t>(address + done);
        const auto request = CModbusRequest::ReadRegisters(UnitId(), at, size);
        Trace(QStringLiteral("ReadHoldingRegisters: adrs=%1 size=%2\n").arg(at + 1).arg(size));
        m_cancel = false;
        m_cancelEvent.Reset();
        const std::size_t chunkStart = answers.size();
        for (int failures = 0;;) {
            try {
                const std::uint16_t id = SendRequest(request);
                SetResponseTimeout(kReadBaseTime, request.Bytes().size() + request.ExpectedResponseLength() + 4);
                const auto started = std::chrono::steady_clock::now();
                bool chunkDone = false;
                while (!chunkDone && std::chrono::steady_clock::now() - started < kCollectTime) {
                    DirectAnswer answer;
                    std::vector<std::uint8_t> response;
                    bool ended = false;
                    try {
                        response = ReceiveResponse(request, kReadRegistersName, at, size, id, &answer);
                    } catch (const CException&) {
                        ended = true;
                    }
                    if (m_cancel)
                        throw CPrivateException(QString());
                    if (ended)
                        break;
                    // A device that hears the broadcast on two of the PC's addresses answers
                    // twice. It counts once, so that `wanted` counts devices: otherwise its
                    // second answer could fill the count before another device's is read.
                    const auto heardBefore = std::any_of(
                        answers.begin() + static_cast<std::ptrdiff_t>(chunkStart), answers.end(),
                        [&](const DirectAnswer& earlier) { return earlier.senderNode == answer.senderNode; });
                    if (heardBefore)
                        continue;
                    for (std::size_t i = 0; i < size; ++i)
                        answer.values.push_back(
                            static_cast<std::uint16_t>((response[3 + 2 * i] << 8) | response[4 + 2 * i]));
                    answers.push_back(std::move(answer));
                    chunkDone = answers.size() >= wanted;
                }
                break;
            } catch (const CException&) {
                if (++failures >= MaxAttempts() || m_cancel)
                    return true;
            }
        }
    }
    return true;
}
