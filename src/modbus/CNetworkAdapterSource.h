#pragma once
// Where the Direct transport and the device discovery learn the local adapters from. The
// system's list is the usual source; tests and tools that must stay off the real network give
// a fixed list (a loopback adapter posing as Ethernet) instead.

#include "modbus/NetworkAdapter.h"

#include <vector>

class CNetworkAdapterSource {
public:
    virtual ~CNetworkAdapterSource();

    // The adapters that are up, Ethernet or wireless, with a six-byte hardware address, in the
    // system's order. Empty when there is none or the system cannot be asked.
    virtual std::vector<NetworkAdapter> ListAdapters() const = 0;
};
