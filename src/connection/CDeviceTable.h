#pragma once
// The devices found while the connect dialog is open: 64 slots, filled from the front and
// never emptied, so that row i of the device list always shows slot i.
//
// Only the discovery task writes it. The user interface reads a slot only for a row it has
// been shown, and the slot of a shown row never changes again.

#include "connection/DeviceSlot.h"

#include <array>
#include <cstddef>
#include <optional>

class CDeviceTable {
public:
    static constexpr std::size_t kSize = 64;

    // Puts a device in the first free slot and returns the slot's index. nullopt when its node
    // address is already listed, or is all zero (it would equal a free slot), or no slot is free.
    std::optional<std::size_t> Add(const ComSettings::NodeAddress& node, const std::array<std::uint8_t, 4>& ipv4);

    // The number of filled slots.
    std::size_t Count() const;
    const DeviceSlot& Slot(std::size_t index) const { return m_slots.at(index); }
    void Clear();

private:
    std::array<DeviceSlot, kSize> m_slots{};
};
