#include "connection/FindLocalNode.h"

#include "modbus/CNetworkAdapterSource.h"

bool FindLocalNode(ComSettings::NodeAddress& node, const CNetworkAdapterSource& adapters)
{
    // The source lists only adapters that qualify; an adapter need not hold an IPv4 address
    // to give the PC its node address.
    const auto list = adapters.ListAdapters();
    if (list.empty())
        return false;
    node = list.front().node;
    return true;
}
