#pragma once
// Reading numbers, addresses and character sets out of typed text, with the rules of the C
// library's conversions (leading blanks, an optional sign, digits up to the first other
// character) but independent of the process locale and of the width of `long`.
//
// The devices' parameters have fixed 32-bit and 16-bit ranges, so each reader states the width
// it reads at instead of inheriting it from the platform.

#include <QStringView>

#include <cstdint>
#include <optional>

namespace ParTextReader {

// One integer scanned from text as strtol/strtoul scan it.
struct IntegerScan {
    bool negative = false;
    std::uint64_t magnitude = 0; // saturated at `limit` + 1 when the digits go beyond it
    bool overflow = false;       // the magnitude exceeded the limit given to ScanInteger
    qsizetype end = 0;           // position after the last digit; `start` when nothing was read
};

// Skips blanks (space, tab, line feed, vertical tab, form feed, carriage return), reads an
// optional sign, in base 16 an optional 0x/0X prefix, then digits. Without digits nothing is
// read (`end` == `start`, magnitude 0).
IntegerScan ScanInteger(QStringView text, qsizetype start, int base, std::uint64_t limit);

// The whole text as an unsigned 32-bit number (a minus sign gives the two's complement).
// Empty text, overflow or characters after the number give no result.
std::optional<std::uint32_t> ReadUnsigned32(QStringView text, int base);

// The whole text as a signed 64-bit number; base 16 when the text begins with "0x".
std::optional<std::int64_t> ReadSigned64(QStringView text);

// The whole text as a floating-point number ('.' as the decimal point whatever the locale).
// Empty text, overflow, not-a-number or characters after the number give no result.
std::optional<double> ReadFloating(QStringView text);

// A decimal conversion that never fails: leading blanks, an optional sign, digits up to the
// first other character; no digits give 0, values beyond the signed 32-bit range the nearest
// bound.
std::int32_t ReadSaturatedInt32(QStringView text);

// "a.b.c.d", each octet 0 to 255 read as a signed decimal number; an empty octet between two
// dots reads as 0. The result holds a in bits 24 to 31 down to d in bits 0 to 7.
std::optional<std::uint32_t> ReadIpv4Address(QStringView text);

// Character sets of the typed keys and names. An empty text passes every test.
inline constexpr char16_t kHexDigits[] = u"0123456789abcdefABCDEF";
inline constexpr char16_t kNetworkNameCharacters[] =
    u"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ -_.@";
bool IsInCharacterSet(QStringView text, QStringView characters);
// The 94 characters from '!' to '~': digits, letters and punctuation, no blank.
bool IsVisibleAscii(QStringView text);

} // namespace ParTextReader
