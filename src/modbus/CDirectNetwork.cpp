#include "modbus/CDirectNetwork.h"

#include "modbus/CFixedAdapterSource.h"
#include "modbus/CSystemAdapterSource.h"

#include <net/if.h>

#include <mutex>

namespace {

sockaddr_in Endpoint(std::uint32_t hostOrderAddress, std::uint16_t port)
{
    sockaddr_in endpoint{};
    endpoint.sin_family = AF_INET;
    endpoint.sin_addr.s_addr = htonl(hostOrderAddress);
    endpoint.sin_port = htons(port);
    return endpoint;
}

std::mutex g_defaultGuard;
std::optional<CDirectNetwork> g_default;

} // namespace

CDirectNetwork::CDirectNetwork(std::shared_ptr<const CNetworkAdapterSource> adapters, const sockaddr_in& destination)
    : m_adapters(std::move(adapters)), m_destination(destination)
{
}

CDirectNetwork CDirectNetwork::System()
{
    return CDirectNetwork(std::make_shared<CSystemAdapterSource>(), Endpoint(INADDR_BROADCAST, kPort));
}

CDirectNetwork CDirectNetwork::Loopback(const ComSettings::NodeAddress& node, std::uint16_t port)
{
    NetworkAdapter loopback;
    loopback.name = "lo";
    loopback.index = ::if_nametoindex("lo");
    loopback.node = node;
    loopback.addresses.push_back(in_addr{htonl(INADDR_LOOPBACK)});
    return CDirectNetwork(std::make_shared<CFixedAdapterSource>(std::vector{loopback}),
                          Endpoint(INADDR_LOOPBACK, port));
}

CDirectNetwork CDirectNetwork::ProcessDefault()
{
    std::lock_guard lock(g_defaultGuard);
    return g_default ? *g_default : System();
}

void CDirectNetwork::SetProcessDefault(std::optional<CDirectNetwork> network)
{
    std::lock_guard lock(g_defaultGuard);
    g_default = std::move(network);
}
