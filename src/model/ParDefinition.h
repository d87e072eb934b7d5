#pragma once
// One row of a model's constant parameter table: how a parameter's holding registers are laid
// out, how its value is shown and typed, its limits, its list of choices, its unit and whether
// the user may edit it. The row's position in its table is the parameter's index everywhere.
//
// Rows are plain constant data compiled into the program; a row owns nothing. Its strings are
// UTF-16 literals with static storage.

#include <cstdint>

// How a parameter is stored, shown, typed and edited. The values are fixed: they are the kind
// numbers of the tables and of the parameter list's editors.
enum ParKind : std::int32_t {
    PK_CAPTION = 0,     // group heading, no registers
    PK_TEXT = 1,        // UTF-8 text, maximum / 2 registers, first byte of a pair in the low byte
    PK_NETNAME = 2,     // like PK_TEXT with the first byte of a pair in the high byte
    PK_IPADDR = 3,      // IPv4 address, 2 registers: a*256+b, c*256+d
    PK_UINT16 = 4,      // unsigned 16-bit, scaled by 10^decimals
    PK_INT16 = 5,       // signed 16-bit, scaled by 10^decimals
    PK_UINT32HEX = 6,   // unsigned 32-bit, low word first, shown with its hexadecimal form
    PK_UINT32 = 7,      // unsigned 32-bit, low word first
    PK_HEX16 = 8,       // 16-bit value shown as four hexadecimal digits
    PK_LIST16 = 9,      // 16-bit value naming an entry of the row's list
    PK_LIST32 = 10,     // 32-bit value, low word first, naming an entry of the row's list
    PK_SSID = 11,       // wireless network name, 16 registers
    PK_WEPKEY = 12,     // WEP key text, 13 registers
    PK_WPAKEY = 13,     // WPA key text, 32 registers
    PK_ENCKEY = 14,     // 128-bit key, most significant 16-bit group first
    PK_CHANNEL28 = 15,  // up to ten channel numbers out of 28, 0 = empty slot
    PK_CHANNEL43 = 16,  // up to ten channel numbers out of 43
    PK_MAC48 = 17,      // 6 bytes, high byte first
    PK_MAC64 = 18,      // 8 bytes, high byte first
    PK_VERSION = 19,    // three unsigned parts shown in decimal
    PK_VERSIONHEX = 20, // three unsigned parts shown in hexadecimal
};

// Access flags of a row.
inline constexpr std::uint32_t PA_READONLY = 1; // never editable
inline constexpr std::uint32_t PA_COMMAND = 2;  // editable only while commands are enabled

struct ParDefinition {
    ParKind kind;
    const char16_t* name;      // identifier, also the key of the display name
    std::int32_t address;      // first holding register (low 16 bits); 0 without registers
    std::int32_t minimum;      // lowest number of kinds 4 to 8, in register units
    std::int32_t maximum;      // highest number of kinds 4 to 8; longest text in bytes
    std::int32_t defaultValue; // initial value of numeric, list and address kinds
    std::int32_t decimals;     // 0 to 4; the register holds the value times 10^decimals
    const char16_t* list;      // name of the list of choices (kinds 9 and 10), or null
    std::int32_t unit;         // 0 to 11, see UnitMessageKey
    std::uint32_t access;      // PA_READONLY, PA_COMMAND
};

// Number of holding registers a row occupies: fixed by the kind, except for the two text kinds
// whose maximum (in bytes) sets it.
int ParRegisterCount(const ParDefinition& definition);

// Message key of a unit's text in the language file; null for 0 (no unit) or an unlisted index.
const char* UnitMessageKey(std::int32_t unit);

// A table's IPv4 default: a in bits 24 to 31 down to d in bits 0 to 7.
constexpr std::int32_t Ipv4Default(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d)
{
    return static_cast<std::int32_t>((std::uint32_t{a} << 24) | (std::uint32_t{b} << 16)
                                     | (std::uint32_t{c} << 8) | std::uint32_t{d});
}
