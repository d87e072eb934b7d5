#include "modbus/CSystemAdapterSource.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <net/if_arp.h>

#include <algorithm>
#include <memory>
#include <string_view>

namespace {

// Wired and wireless adapters both report the Ethernet link type; loopback, tunnels and
// point-to-point links report others and carry no broadcast.
bool IsUsableLink(const ifaddrs& entry)
{
    const auto* link = reinterpret_cast<const sockaddr_ll*>(entry.ifa_addr);
    const bool up = (entry.ifa_flags & IFF_UP) && (entry.ifa_flags & IFF_RUNNING);
    return up && link->sll_hatype == ARPHRD_ETHER && link->sll_halen == 6;
}

// An address with a label ("eth0:1", from older tools) belongs to the interface before the colon.
std::string_view InterfaceName(const char* name)
{
    const std::string_view text(name);
    return text.substr(0, text.find(':'));
}

} // namespace

std::vector<NetworkAdapter> CSystemAdapterSource::ListAdapters() const
{
    ifaddrs* first = nullptr;
    if (::getifaddrs(&first) != 0)
        return {};
    const std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)> list(first, &::freeifaddrs);

    std::vector<NetworkAdapter> adapters;
    for (const ifaddrs* entry = first; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET || !IsUsableLink(*entry))
            continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        NetworkAdapter adapter;
        adapter.name = entry->ifa_name;
        adapter.index = static_cast<unsigned>(link->sll_ifindex);
        std::copy_n(link->sll_addr, adapter.node.size(), adapter.node.begin());
        adapters.push_back(std::move(adapter));
    }
    for (const ifaddrs* entry = first; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        const std::string_view name = InterfaceName(entry->ifa_name);
        const auto owner = std::find_if(adapters.begin(), adapters.end(),
                                        [&](const NetworkAdapter& adapter) { return adapter.name == name; });
        if (owner != adapters.end())
            owner->addresses.push_back(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr);
    }
    return adapters;
}
