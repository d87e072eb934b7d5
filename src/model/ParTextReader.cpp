#include "model/ParTextReader.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace ParTextReader {
namespace {

bool IsBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || (u >= u'\t' && u <= u'\r');
}

int DigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'z')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'Z')
        return u - u'A' + 10;
    return 99;
}

// Two's complement of a magnitude at the given width, as an unsigned value.
std::uint32_t Negate32(std::uint64_t magnitude)
{
    return static_cast<std::uint32_t>(0u - static_cast<std::uint32_t>(magnitude));
}

} // namespace

IntegerScan ScanInteger(QStringView text, qsizetype start, int base, std::uint64_t limit)
{
    IntegerScan scan;
    scan.end = start;
    qsizetype pos = start;
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        scan.negative = text[pos] == u'-';
        ++pos;
    }
    // "0x" counts as a prefix only when a hexadecimal digit follows; otherwise the 0 is the
    // number and the x is the first character after it, as strtoul reads it.
    if (base == 16 && pos + 2 < text.size() && text[pos] == u'0'
        && (text[pos + 1] == u'x' || text[pos + 1] == u'X') && DigitValue(text[pos + 2]) < 16)
        pos += 2;

    bool anyDigit = false;
    for (; pos < text.size(); ++pos) {
        const int digit = DigitValue(text[pos]);
        if (digit >= base)
            break;
        anyDigit = true;
        if (scan.overflow)
            continue;
        const auto digitValue = static_cast<std::uint64_t>(digit);
        const auto baseValue = static_cast<std::uint64_t>(base);
        if (scan.magnitude > (limit - digitValue) / baseValue) {
            scan.overflow = true;
            scan.magnitude = limit == std::numeric_limits<std::uint64_t>::max() ? limit : limit + 1;
            continue;
        }
        scan.magnitude = scan.magnitude * baseValue + digitValue;
    }
    if (anyDigit)
        scan.end = pos;
    else
        scan = IntegerScan{.end = start};
    return scan;
}

std::optional<std::uint32_t> ReadUnsigned32(QStringView text, int base)
{
    if (text.isEmpty())
        return std::nullopt;
    const IntegerScan scan = ScanInteger(text, 0, base, std::numeric_limits<std::uint32_t>::max());
    if (scan.overflow || scan.end != text.size())
        return std::nullopt;
    return scan.negative ? Negate32(scan.magnitude) : static_cast<std::uint32_t>(scan.magnitude);
}

std::optional<std::int64_t> ReadSigned64(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    const int base = text.startsWith(u"0x") ? 16 : 10;
    constexpr std::uint64_t largest = std::numeric_limits<std::int64_t>::max();
    const IntegerScan scan = ScanInteger(text, 0, base, largest + 1);
    if (scan.overflow || scan.end != text.size())
        return std::nullopt;
    if (!scan.negative) {
        if (scan.magnitude > largest)
            return std::nullopt;
        return static_cast<std::int64_t>(scan.magnitude);
    }
    if (scan.magnitude == largest + 1)
        return std::numeric_limits<std::int64_t>::min();
    return -static_cast<std::int64_t>(scan.magnitude);
}

std::optional<double> ReadFloating(QStringView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    // from_chars takes no plus sign; a second sign after it must still be refused.
    if (pos < text.size() && text[pos] == u'+') {
        ++pos;
        if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+'))
            return std::nullopt;
    }
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(text.size() - pos));
    for (qsizetype i = pos; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        ascii.push_back(u < 0x80 ? static_cast<char>(u) : '\x01');
    }
    if (ascii.empty())
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error != std::errc() || end != ascii.data() + ascii.size() || std::isnan(value))
        return std::nullopt;
    return value;
}

std::int32_t ReadSaturatedInt32(QStringView text)
{
    constexpr std::uint64_t largest = std::numeric_limits<std::int32_t>::max();
    const IntegerScan scan = ScanInteger(text, 0, 10, largest + 1);
    if (!scan.negative)
        return scan.magnitude > largest ? std::numeric_limits<std::int32_t>::max()
                                        : static_cast<std::int32_t>(scan.magnitude);
    if (scan.magnitude > largest + 1)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(scan.magnitude));
}

std::optional<std::uint32_t> ReadIpv4Address(QStringView text)
{
    std::uint32_t address = 0;
    qsizetype pos = 0;
    for (int octet = 1; octet <= 4; ++octet) {
        if (pos >= text.size())
            return std::nullopt;
        // Read as a signed long: the sign is accepted, only 0 to 255 pass.
        const IntegerScan scan = ScanInteger(text, pos, 10, std::numeric_limits<std::uint32_t>::max());
        if (scan.overflow || (scan.negative && scan.magnitude != 0) || scan.magnitude > 255)
            return std::nullopt;
        address = (address << 8) | static_cast<std::uint32_t>(scan.magnitude);
        pos = scan.end;
        if (octet < 4) {
            if (pos >= text.size() || text[pos] != u'.')
                return std::nullopt;
            ++pos;
        } else if (pos != text.size()) {
            return std::nullopt;
        }
    }
    return address;
}

bool IsInCharacterSet(QStringView text, QStringView characters)
{
    for (const QChar c : text) {
        if (!characters.contains(c))
            return false;
    }
    return true;
}

bool IsVisibleAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x21 || c.unicode() > 0x7E)
            return false;
    }
    return true;
}

} // namespace ParTextReader
