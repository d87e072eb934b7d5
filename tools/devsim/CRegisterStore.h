#pragma once
// The data of one simulated device: 65536 holding registers, coils and discrete inputs, all
// addressable. Not locked: its device serialises access.

#include <bitset>
#include <cstdint>
#include <span>
#include <vector>

class CRegisterStore {
public:
    static constexpr std::size_t kSize = 65536;

    CRegisterStore();

    std::uint16_t Holding(std::uint16_t address) const { return m_holding[address]; }
    void SetHolding(std::uint16_t address, std::uint16_t value) { m_holding[address] = value; }
    // Consecutive registers from `address`; words beyond address 65535 are dropped.
    void SetHolding(std::uint16_t address, std::span<const std::uint16_t> values);

    bool Coil(std::uint16_t address) const { return m_coils[address]; }
    void SetCoil(std::uint16_t address, bool on) { m_coils[address] = on; }
    bool DiscreteInput(std::uint16_t address) const { return m_inputs[address]; }
    void SetDiscreteInput(std::uint16_t address, bool on) { m_inputs[address] = on; }

private:
    std::vector<std::uint16_t> m_holding;
    std::bitset<kSize> m_coils;
    std::bitset<kSize> m_inputs;
};
