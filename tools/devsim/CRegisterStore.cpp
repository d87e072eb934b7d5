#include "CRegisterStore.h"

CRegisterStore::CRegisterStore() : m_holding(kSize, 0) {}

void CRegisterStore::SetHolding(std::uint16_t address, std::span<const std::uint16_t> values)
{
    for (std::size_t i = 0; i < values.size() && address + i < kSize; ++i)
        m_holding[address + i] = values[i];
}
