#pragma once
// The node address of this PC on the "Ethernet (Direct)" transport: the hardware address of
// its network adapter.

#include "connection/ComSettings.h"

class CNetworkAdapterSource;

// Copies the hardware address of the first adapter, in the system's order, that is up and is
// Ethernet or wireless with a six-byte address, and returns true. Without such an adapter
// returns false and leaves `node` as it was.
bool FindLocalNode(ComSettings::NodeAddress& node, const CNetworkAdapterSource& adapters);
