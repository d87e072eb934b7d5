#include "connection/CDeviceTable.h"

#include <algorithm>

namespace {

bool IsFree(const DeviceSlot& slot)
{
    return std::all_of(slot.node.begin(), slot.node.end(), [](std::uint8_t b) { return b == 0; });
}

} // namespace

std::optional<std::size_t> CDeviceTable::Add(const ComSettings::NodeAddress& node, const std::array<std::uint8_t, 4>& ipv4)
{
    // Compared with every slot, free ones included: that is what keeps an all-zero node out.
    if (std::any_of(m_slots.begin(), m_slots.end(), [&](const DeviceSlot& slot) { return slot.node == node; }))
        return std::nullopt;
    const auto free = std::find_if(m_slots.begin(), m_slots.end(), IsFree);
    if (free == m_slots.end())
        return std::nullopt;
    free->node = node;
    free->ipv4 = ipv4;
    return static_cast<std::size_t>(free - m_slots.begin());
}

std::size_t CDeviceTable::Count() const
{
    return static_cast<std::size_t>(std::count_if(m_slots.begin(), m_slots.end(), [](const DeviceSlot& slot) { return !IsFree(slot); }));
}

void CDeviceTable::Clear()
{
    m_slots.fill(DeviceSlot{});
}
