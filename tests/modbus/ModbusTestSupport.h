#pragma once
// Helpers shared by the Modbus tests: hex frames, an independent CRC, trace capture and the
// expected error texts. The CRC here is the plain bitwise form, not the client's tables, so a
// mistake in one does not hide in the other.

#include "app/CResourceDatabase.h"
#include "connection/ComSettings.h"
#include "modbus/CDebugTrace.h"
#include "modbus/CPrivateException.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace modbus_test {

using Bytes = std::vector<std::uint8_t>;

// Settings for Modbus TCP to a peer on this machine's loopback address.
inline ComSettings LoopbackTcpSettings(const QString& port)
{
    ComSettings settings;
    settings.Mode = ComSettings::ModeTcp;
    settings.ServerAddress = QStringLiteral("127.0.0.1");
    settings.ServicePort = port;
    return settings;
}

// The message of the error `operation` throws, or "(no error)".
inline QString ErrorOf(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const CException& error) {
        return error.ErrorText();
    }
    return QStringLiteral("(no error)");
}

inline Bytes Hex(const std::string& text)
{
    Bytes bytes;
    std::string digits;
    for (const char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits.push_back(c);
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

inline std::string ToHex(std::span<const std::uint8_t> bytes)
{
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t b : bytes) {
        if (!text.empty())
            text.push_back(' ');
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 0xF]);
    }
    return text;
}

inline std::uint16_t BitwiseCrc(std::span<const std::uint8_t> bytes)
{
    std::uint16_t crc = 0xFFFF;
    for (const std::uint8_t b : bytes) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

inline Bytes WithCrc(Bytes frame)
{
    const std::uint16_t crc = BitwiseCrc(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

// A Modbus TCP frame around `pdu` (unit identifier onwards).
inline Bytes TcpFrame(std::uint16_t transactionId, const Bytes& pdu)
{
    Bytes frame{static_cast<std::uint8_t>(transactionId >> 8), static_cast<std::uint8_t>(transactionId & 0xFF), 0, 0,
                static_cast<std::uint8_t>(pdu.size() >> 8), static_cast<std::uint8_t>(pdu.size() & 0xFF)};
    frame.insert(frame.end(), pdu.begin(), pdu.end());
    return frame;
}

// The answer of a register read: unit, 03, byte count, the values high byte first.
inline Bytes RegisterAnswer(std::uint8_t unit, const std::vector<std::uint16_t>& values)
{
    Bytes pdu{unit, 0x03, static_cast<std::uint8_t>(2 * values.size())};
    for (const std::uint16_t v : values) {
        pdu.push_back(static_cast<std::uint8_t>(v >> 8));
        pdu.push_back(static_cast<std::uint8_t>(v & 0xFF));
    }
    return pdu;
}

// Collects the trace lines written while it exists (from any thread).
class TraceRecorder {
public:
    TraceRecorder()
        : m_scope([this](const QString& line) {
              std::lock_guard lock(m_guard);
              m_lines << line;
          })
    {
    }
    QStringList Lines()
    {
        std::lock_guard lock(m_guard);
        return m_lines;
    }
    // The lines that report a failed attempt, in order.
    QStringList Failures()
    {
        QStringList failures;
        for (const QString& line : Lines())
            if (!line.contains(QLatin1String("adrs=")))
                failures << line;
        return failures;
    }

private:
    std::mutex m_guard;
    QStringList m_lines;
    CTraceListenerScope m_scope;
};

inline QString Repeat(const QString& line, int times)
{
    QStringList lines;
    for (int i = 0; i < times; ++i)
        lines << line;
    return lines.join(QString());
}

// The message a failed transaction carries, composed from the language file.
inline QString TransactionError(const char* operation, int shownAddress, int count, const QString& detail)
{
    return CPrivateException::ComposeMessage("mbio.message", {operation, shownAddress, count, detail});
}

inline QString Detail(const char* key)
{
    return CResourceDatabase::Instance().GetMessageText(QString::fromLatin1(key));
}

inline QString ExceptionDetail(int code)
{
    return CPrivateException::ComposeMessage("mbio.exception", {code});
}

} // namespace modbus_test

// Readable QString values in test failure reports.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
