#include "DirectConnection.h"

#include "CCommandFailure.h"

#include "connection/CDeviceDiscovery.h"
#include "connection/FindLocalNode.h"
#include "modbus/CDirectNetwork.h"

namespace {

// The node address the loopback adapter poses with (a locally administered one).
constexpr ComSettings::NodeAddress kLoopbackNode{0x02, 0x00, 0x00, 0x00, 0x00, 0x01};

} // namespace

void ChooseDirectNetwork()
{
    if (!qEnvironmentVariableIsSet("KORVA_DIRECT_LOOPBACK"))
        return;
    bool ok = false;
    const uint port = qEnvironmentVariable("KORVA_DIRECT_LOOPBACK").toUInt(&ok);
    if (!ok || port == 0 || port > 0xFFFF)
        throw CUsageError(QStringLiteral("KORVA_DIRECT_LOOPBACK takes a UDP port from 1 to 65535"));
    CDirectNetwork::SetProcessDefault(CDirectNetwork::Loopback(kLoopbackNode, static_cast<std::uint16_t>(port)));
}

void FindOwnNode(ComSettings& settings)
{
    settings.OwnNode = CDeviceDiscovery::kFallbackNode;
    FindLocalNode(settings.OwnNode, CDirectNetwork::ProcessDefault().Adapters());
}
