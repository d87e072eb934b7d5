#pragma once
// Where the "Ethernet (Direct)" transport sends: the adapters it sends from and the one
// destination of every request (255.255.255.255, port 502, on a real network).
//
// Clients that are given none use the process default, which is the system's adapters unless
// the program set another. Tests and tools that select the Direct transport inside windows
// they do not construct themselves (the connect dialog's discovery) set the default first, so
// that nothing ever broadcasts on the machine's real network.

#include "connection/ComSettings.h"

#include <netinet/in.h>

#include <cstdint>
#include <memory>
#include <optional>

class CNetworkAdapterSource;

class CDirectNetwork {
public:
    static constexpr std::uint16_t kPort = 502;

    // Every adapter the system reports; the limited broadcast to port 502.
    static CDirectNetwork System();
    // One adapter, the loopback interface with 127.0.0.1, posing as an Ethernet adapter with
    // hardware address `node`; requests go to 127.0.0.1:`port`, where a simulator listens.
    static CDirectNetwork Loopback(const ComSettings::NodeAddress& node, std::uint16_t port);

    CDirectNetwork(std::shared_ptr<const CNetworkAdapterSource> adapters, const sockaddr_in& destination);

    const CNetworkAdapterSource& Adapters() const { return *m_adapters; }
    const sockaddr_in& Destination() const { return m_destination; }

    // Any thread. The default applies to clients opened after the change.
    static CDirectNetwork ProcessDefault();
    // nullopt restores the system's adapters.
    static void SetProcessDefault(std::optional<CDirectNetwork> network);

private:
    std::shared_ptr<const CNetworkAdapterSource> m_adapters;
    sockaddr_in m_destination;
};
