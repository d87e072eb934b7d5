#pragma once
// The CRC-16 of Modbus RTU frames (reflected polynomial 0xA001, initial value 0xFFFF, no final
// inversion), computed a byte at a time with the two 256-entry tables of the serial line
// standard. The frame carries the low byte of the result first.

#include <cstdint>
#include <span>

class CModbusCrc {
public:
    static std::uint16_t Compute(std::span<const std::uint8_t> bytes);

    // Appends the CRC of `frame` to it, low byte first.
    template <typename Container>
    static void Append(Container& frame)
    {
        const std::uint16_t crc = Compute(frame);
        frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    }

    // True when the last two bytes of `frame` are the CRC of the bytes before them.
    static bool Check(std::span<const std::uint8_t> frame);
};
