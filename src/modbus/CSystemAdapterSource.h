#pragma once
// The adapters of this machine (of the calling thread's network namespace), from getifaddrs:
// the AF_PACKET entries give the interfaces with their link type and hardware address, the
// AF_INET entries their IPv4 addresses. One query per call; nothing is cached, so an adapter
// that comes up between two requests is used by the next.

#include "modbus/CNetworkAdapterSource.h"

class CSystemAdapterSource final : public CNetworkAdapterSource {
public:
    std::vector<NetworkAdapter> ListAdapters() const override;
};
