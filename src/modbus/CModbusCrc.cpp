#include "modbus/CModbusCrc.h"

#include <array>

namespace {

// The tables are derived from the polynomial at compile time rather than typed in: they are
// the standard's tables, and a typing slip in 512 numbers would corrupt only some frames.
constexpr std::array<std::uint16_t, 256> MakeTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        auto value = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            value = static_cast<std::uint16_t>((value & 1) ? (value >> 1) ^ 0xA001 : value >> 1);
        table[i] = value;
    }
    return table;
}

constexpr std::array<std::uint8_t, 256> TablePart(bool lowByte)
{
    const auto full = MakeTable();
    std::array<std::uint8_t, 256> part{};
    for (unsigned i = 0; i < 256; ++i)
        part[i] = static_cast<std::uint8_t>(lowByte ? (full[i] & 0xFF) : (full[i] >> 8));
    return part;
}

// The standard's auchCRCHi and auchCRCLo, named after the CRC byte each one feeds.
constexpr auto kHigh = TablePart(true);
constexpr auto kLow = TablePart(false);
// The first entries of the standard's tables.
static_assert(kHigh[0] == 0x00 && kHigh[1] == 0xC1 && kHigh[2] == 0x81 && kHigh[3] == 0x40);
static_assert(kLow[0] == 0x00 && kLow[1] == 0xC0 && kLow[2] == 0xC1 && kLow[3] == 0x01);

} // namespace

std::uint16_t CModbusCrc::Compute(std::span<const std::uint8_t> bytes)
{
    std::uint8_t high = 0xFF;
    std::uint8_t low = 0xFF;
    for (const std::uint8_t byte : bytes) {
        const std::uint8_t index = low ^ byte;
        low = high ^ kHigh[index];
        high = kLow[index];
    }
    return static_cast<std::uint16_t>((high << 8) | low);
}

bool CModbusCrc::Check(std::span<const std::uint8_t> frame)
{
    if (frame.size() < 2)
        return false;
    const std::uint16_t crc = Compute(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}
