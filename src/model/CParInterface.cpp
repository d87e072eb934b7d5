#include "model/CParInterface.h"

#include "app/CResourceDatabase.h"
#include "model/ParTextReader.h"
#include "modbus/CPrivateException.h"

#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <array>
#include <limits>

namespace {

// Every default text is plain ASCII.
constexpr char kDefaultTag[] = "test-tag";
constexpr char kDefaultSsid[] = "test-ssid";
constexpr char kDefaultKey[] = "1111111111111";

// Longest value text of the text kinds, in characters.
constexpr qsizetype kLongestText = 1024;

// Largest magnitude a typed decimal number is limited to before it is scaled (FLT_MAX).
constexpr double kLargestTypedNumber = 3.4028234663852886e38;

// Added to a typed decimal number before it is truncated to register units, so that a value
// such as 0.29 (0.28999... in binary) still gives 29 with two decimals.
constexpr double kTypedNumberBias = 0.00001;

QByteArray AsciiBytes(const char* text)
{
    return QByteArray(text);
}

QString FromUtf16(const char16_t* text)
{
    return text ? QString::fromUtf16(text) : QString();
}

// Truncation toward zero into the signed 32-bit range; values beyond it take the nearest bound
// (a conversion outside the range would be undefined), which the range check then refuses.
std::int32_t TruncateToInt32(double value)
{
    if (value >= 2147483648.0)
        return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483649.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

QString Hex(std::uint32_t value, int width)
{
    return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0')).toUpper();
}

} // namespace

CParInterface::CParInterface(const char16_t* section, const ParDefinition& definition)
    : m_definition(&definition),
      m_section(section),
      m_minimum(definition.minimum),
      m_maximum(definition.maximum),
      m_decimals(definition.decimals),
      m_unit(definition.unit)
{
    const auto address = static_cast<std::uint16_t>(definition.address & 0xFFFF);
    const auto count = static_cast<std::uint16_t>(ParRegisterCount(definition));
    const auto bits = static_cast<std::uint32_t>(definition.defaultValue);
    const auto low = static_cast<std::uint16_t>(bits & 0xFFFF);
    const auto high = static_cast<std::uint16_t>(bits >> 16);

    switch (definition.kind) {
    case PK_CAPTION:
        break;
    case PK_TEXT:
        m_value = CParValue(address, count, false);
        m_value.SetString(0, AsciiBytes(kDefaultTag));
        break;
    case PK_NETNAME:
        m_value = CParValue(address, count, true);
        m_value.SetString(0, QByteArray());
        break;
    case PK_IPADDR: {
        const std::array<std::uint16_t, 2> words = {high, low};
        m_value = CParValue(address, count, words, false);
        break;
    }
    case PK_UINT16:
    case PK_INT16:
    case PK_HEX16:
    case PK_LIST16:
        m_value = CParValue(address, low);
        break;
    case PK_UINT32HEX:
    case PK_UINT32:
    case PK_LIST32: {
        const std::array<std::uint16_t, 2> words = {low, high};
        m_value = CParValue(address, count, words, false);
        break;
    }
    case PK_SSID:
        m_value = CParValue(address, count, false);
        m_value.SetString(0, AsciiBytes(kDefaultSsid));
        break;
    case PK_WEPKEY:
    case PK_WPAKEY:
        m_value = CParValue(address, count, false);
        m_value.SetString(0, AsciiBytes(kDefaultKey));
        break;
    default: // keys, channel sets, MAC addresses and versions start as zero words
        m_value = CParValue(address, count, false);
        break;
    }
}

CParInterface::~CParInterface() = default;

std::int32_t CParInterface::Scale() const
{
    std::int32_t scale = 1;
    for (std::int32_t i = 0; i < std::clamp(m_decimals, 0, 9); ++i)
        scale *= 10;
    return scale;
}

QString CParInterface::FormatFixedPoint(double registerValue) const
{
    // The tenth of the last place keeps a register value such as 600 from showing as 59.9
    // through binary rounding; the format then rounds to the decimals.
    const double scale = Scale();
    return QString::number(registerValue / scale + 0.1 / scale, 'f', std::clamp(m_decimals, 0, 9));
}

std::uint32_t CParInterface::Value32() const
{
    const auto words = m_value.GetWords();
    const std::uint32_t low = words.size() > 0 ? words[0] : 0;
    const std::uint32_t high = words.size() > 1 ? words[1] : 0;
    return (high << 16) | low;
}

QString CParInterface::GetName() const
{
    return CResourceDatabase::Instance().GetParameterText(FromUtf16(m_section),
                                                          FromUtf16(m_definition->name));
}

QString CParInterface::GetText() const
{
    const auto words = m_value.GetWords();
    const auto word = [&words](std::size_t i) -> std::uint16_t {
        return i < words.size() ? words[i] : std::uint16_t{0};
    };

    switch (m_definition->kind) {
    case PK_CAPTION:
        return {};
    case PK_TEXT:
    case PK_NETNAME:
    case PK_SSID:
    case PK_WEPKEY:
    case PK_WPAKEY:
        return QString::fromUtf8(m_value.GetString(0)).left(kLongestText);
    case PK_IPADDR:
        return QStringLiteral("%1.%2.%3.%4")
            .arg(word(0) >> 8).arg(word(0) & 0xFF).arg(word(1) >> 8).arg(word(1) & 0xFF);
    case PK_UINT16:
        return m_decimals == 0 ? QString::number(word(0)) : FormatFixedPoint(word(0));
    case PK_INT16: {
        const auto value = static_cast<std::int16_t>(word(0));
        return m_decimals == 0 ? QString::number(value) : FormatFixedPoint(value);
    }
    case PK_UINT32HEX:
    case PK_UINT32:
        return FormatNumber(Value32());
    case PK_HEX16:
        return Hex(word(0), 4);
    case PK_LIST16:
        return GetListText(word(0));
    case PK_LIST32:
        return GetListText(static_cast<std::int32_t>(Value32()));
    case PK_ENCKEY: {
        QString text;
        for (const std::uint16_t w : words)
            text += Hex(w, 4);
        return text;
    }
    case PK_CHANNEL28:
    case PK_CHANNEL43: {
        QStringList channels;
        for (const std::uint16_t w : words) {
            if (w != 0)
                channels << QString::number(w);
        }
        return channels.join(QStringLiteral(", "));
    }
    case PK_MAC48:
    case PK_MAC64: {
        QStringList bytes;
        for (const std::uint16_t w : words)
            bytes << Hex(w >> 8, 2) << Hex(w & 0xFF, 2);
        return bytes.join(QLatin1Char(':'));
    }
    case PK_VERSION:
        return QStringLiteral("%1.%2.%3").arg(word(0)).arg(word(1)).arg(word(2));
    case PK_VERSIONHEX:
        return QStringLiteral("%1.%2.%3").arg(word(0), 0, 16).arg(word(1), 0, 16).arg(word(2), 0, 16);
    }
    return {};
}

QString CParInterface::GetTextWithUnit() const
{
    QString text = GetText();
    if (m_definition->kind == PK_UINT32HEX)
        text += QStringLiteral(" (0x%1)").arg(Hex(Value32(), 0));
    const QString unit = GetUnitText(m_unit);
    if (!unit.isEmpty())
        text += QStringLiteral(" (%1)").arg(unit);
    return text;
}

QString CParInterface::GetUnitText(std::int32_t unit)
{
    const char* key = UnitMessageKey(unit);
    if (!key)
        return {};
    return CResourceDatabase::Instance().GetMessageText(QString::fromLatin1(key));
}

QString CParInterface::GetListText(std::int32_t value) const
{
    if (!m_definition->list)
        return {};
    return CResourceDatabase::Instance().GetListItemText(FromUtf16(m_section),
                                                         FromUtf16(m_definition->list), value);
}

std::int32_t CParInterface::GetListValue(std::int32_t position) const
{
    if (m_definition->kind != PK_LIST16 && m_definition->kind != PK_LIST32)
        return position;
    if (!m_definition->list)
        return -1;
    return CResourceDatabase::Instance().GetListItemValue(FromUtf16(m_section),
                                                          FromUtf16(m_definition->list), position);
}

QString CParInterface::FormatNumber(std::int64_t number) const
{
    switch (m_definition->kind) {
    case PK_UINT16:
        return m_decimals == 0 ? QString::number(number)
                               : FormatFixedPoint(static_cast<double>(number));
    case PK_INT16: {
        const auto value = static_cast<std::int16_t>(number);
        return m_decimals == 0 ? QString::number(value) : FormatFixedPoint(value);
    }
    case PK_UINT32HEX:
    case PK_UINT32: {
        // Written with the decimals that typing applies, so that what is typed shows again.
        const auto value = static_cast<std::uint32_t>(number);
        return m_decimals == 0 ? QString::number(value) : FormatFixedPoint(value);
    }
    case PK_HEX16:
        return Hex(static_cast<std::uint32_t>(number), 4);
    case PK_LIST16:
    case PK_LIST32:
        return GetListText(static_cast<std::int32_t>(number));
    default:
        return {};
    }
}

void CParInterface::SetValue(std::int32_t value)
{
    auto words = m_value.GetWords();
    const auto bits = static_cast<std::uint32_t>(value);
    switch (m_definition->kind) {
    case PK_UINT16:
    case PK_INT16:
    case PK_HEX16:
    case PK_LIST16:
        if (words.size() >= 1)
            words[0] = static_cast<std::uint16_t>(bits & 0xFFFF);
        break;
    case PK_LIST32:
        if (words.size() >= 2) {
            words[0] = static_cast<std::uint16_t>(bits & 0xFFFF);
            words[1] = static_cast<std::uint16_t>(bits >> 16);
        }
        break;
    default:
        break;
    }
}

void CParInterface::AssignValue(const CParValue& value)
{
    m_value = value;
}

void CParInterface::CheckRange(std::int64_t number) const
{
    if (number < m_minimum || number > m_maximum)
        throw CPrivateException("rangeerr", GetName(), FormatNumber(m_minimum), FormatNumber(m_maximum));
}

std::int64_t CParInterface::ReadNumber(const QString& text) const
{
    const char* key = m_decimals == 0 ? "inpierr" : "inperr";
    const ParKind kind = m_definition->kind;

    if (m_decimals == 0) {
        if (kind == PK_UINT16 || kind == PK_INT16) {
            // Read as an unsigned 32-bit number; a minus sign gives the two's complement, so
            // "-1" is -1 once taken as signed.
            const auto value = ParTextReader::ReadUnsigned32(text, 10);
            if (!value)
                throw CPrivateException(key);
            return static_cast<std::int32_t>(*value);
        }
        const auto value = ParTextReader::ReadSigned64(text);
        if (!value)
            throw CPrivateException(key);
        return *value;
    }

    const auto typed = ParTextReader::ReadFloating(text);
    if (!typed)
        throw CPrivateException(key);
    const double limited = std::clamp(*typed, -kLargestTypedNumber, kLargestTypedNumber);
    const double biased = limited >= 0 ? limited + kTypedNumberBias : limited - kTypedNumberBias;
    return TruncateToInt32(biased * Scale());
}

void CParInterface::SetText(const QString& text)
{
    auto words = m_value.GetWords();
    const auto setWord = [&words](std::size_t i, std::uint64_t value) {
        if (i < words.size())
            words[i] = static_cast<std::uint16_t>(value & 0xFFFF);
    };

    switch (m_definition->kind) {
    case PK_TEXT:
        SetTextOfText(text);
        break;
    case PK_NETNAME:
        SetTextOfNetworkName(text);
        break;
    case PK_IPADDR: {
        const auto address = ParTextReader::ReadIpv4Address(text);
        if (!address)
            throw CPrivateException("iperr");
        setWord(0, *address >> 16);
        setWord(1, *address);
        break;
    }
    case PK_UINT16:
    case PK_INT16: {
        const std::int64_t number = ReadNumber(text);
        CheckRange(number);
        setWord(0, static_cast<std::uint64_t>(number));
        break;
    }
    case PK_UINT32HEX:
    case PK_UINT32: {
        const std::int64_t number = ReadNumber(text);
        CheckRange(number);
        setWord(0, static_cast<std::uint64_t>(number));
        setWord(1, static_cast<std::uint64_t>(number) >> 16);
        break;
    }
    case PK_HEX16: {
        const auto number = ParTextReader::ReadUnsigned32(text, 16);
        if (!number)
            throw CPrivateException("inpherr");
        CheckRange(*number);
        setWord(0, *number);
        break;
    }
    case PK_SSID:
    case PK_WEPKEY:
    case PK_WPAKEY:
    case PK_ENCKEY:
        SetTextOfKey(text);
        break;
    default: // lists, channel sets and read-only kinds are not typed
        break;
    }
}

void CParInterface::SetTextOfText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    if (utf8.size() > m_definition->maximum)
        throw CPrivateException("toolongerr", GetName(), m_definition->maximum);
    m_value.SetString(0, utf8);
}

void CParInterface::SetTextOfNetworkName(const QString& text)
{
    if (!ParTextReader::IsInCharacterSet(text, ParTextReader::kNetworkNameCharacters))
        throw CPrivateException("nwknameerr", GetName(), m_definition->maximum);
    const QByteArray utf8 = text.toUtf8();
    if (utf8.size() > m_definition->maximum)
        throw CPrivateException("toolongerr", GetName(), m_definition->maximum);
    m_value.SetString(0, utf8);
}

void CParInterface::SetTextOfKey(const QString& text)
{
    using ParTextReader::IsInCharacterSet;
    using ParTextReader::IsVisibleAscii;
    using ParTextReader::kHexDigits;
    const qsizetype length = text.size();

    switch (m_definition->kind) {
    case PK_SSID:
        if (text.isEmpty() || !IsVisibleAscii(text) || text.toUtf8().size() > m_definition->maximum)
            throw CPrivateException("ssiderr", GetName());
        m_value.SetString(0, text.toUtf8());
        break;
    case PK_WEPKEY: {
        const bool characters = (length == 5 || length == 13) && IsVisibleAscii(text);
        const bool digits = (length == 10 || length == 26) && IsInCharacterSet(text, kHexDigits);
        if (!characters && !digits)
            throw CPrivateException("weperr", GetName());
        m_value.SetString(0, text.toLatin1());
        break;
    }
    case PK_WPAKEY: {
        const bool valid = length == 64 ? IsInCharacterSet(text, kHexDigits)
                                        : length >= 8 && length <= 63 && IsVisibleAscii(text);
        if (!valid)
            throw CPrivateException("wpaerr", GetName());
        m_value.SetString(0, text.toLatin1());
        break;
    }
    case PK_ENCKEY: {
        if (!IsInCharacterSet(text, kHexDigits) || length < 1 || length > 32)
            throw CPrivateException("enckeyerr", GetName());
        const QString digits = text.toUpper().rightJustified(32, QLatin1Char('0'));
        auto words = m_value.GetWords();
        for (std::size_t k = 0; k < words.size() && k < 8; ++k)
            words[k] = static_cast<std::uint16_t>(
                QStringView(digits).mid(static_cast<qsizetype>(4 * k), 4).toUInt(nullptr, 16));
        break;
    }
    default:
        break;
    }
}
