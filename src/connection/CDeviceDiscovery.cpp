#include "connection/CDeviceDiscovery.h"

#include "connection/FindLocalNode.h"
#include "modbus/CException.h"
#include "modbus/CNetworkAdapterSource.h"
#include "modbus/DirectAnswer.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>

CDeviceDiscovery::CDeviceDiscovery(std::optional<CDirectNetwork> network) : m_network(std::move(network)) {}

CDirectNetwork CDeviceDiscovery::Network() const
{
    return m_network.value_or(CDirectNetwork::ProcessDefault());
}

ComSettings::NodeAddress CDeviceDiscovery::LocalNode() const
{
    ComSettings::NodeAddress node = kFallbackNode;
    FindLocalNode(node, Network().Adapters());
    return node;
}

std::vector<DiscoveredDevice> CDeviceDiscovery::Scan()
{
    const CDirectNetwork network = Network();
    const std::size_t wanted = std::min(m_devices.Count() + 1, CDeviceTable::kSize);

    // The unit identifier comes from the stored settings; the rest is the discovery's own.
    ComSettings settings;
    settings.Mode = ComSettings::ModeDirect;
    settings.OwnNode = kFallbackNode;
    FindLocalNode(settings.OwnNode, network.Adapters());
    settings.TargetNode.fill(0xFF);

    std::vector<DirectAnswer> answers;
    try {
        m_client.SetComSettings(settings);
        m_client.SetDirectNetwork(network);
        m_client.Open();
        m_client.ReadHoldingRegistersFromAll(kModelTextAddress, kModelTextCount, wanted, answers);
    } catch (const CException&) {
        // A scan that fails finds nothing more; the next scan tries again.
    }
    m_client.Close();

    std::vector<DiscoveredDevice> found;
    for (const DirectAnswer& answer : answers) {
        DeviceSlot device;
        device.node = answer.senderNode;
        std::memcpy(device.ipv4.data(), &answer.sender.sin_addr.s_addr, device.ipv4.size());
        const auto slot = m_devices.Add(device.node, device.ipv4);
        if (!slot)
            continue;
        found.push_back({*slot, device, NodeText(device.node), AddressText(device.ipv4), ModelName(answer.values)});
    }
    return found;
}

void CDeviceDiscovery::Cancel()
{
    m_client.Cancel();
}

QString CDeviceDiscovery::ModelName(std::span<const std::uint16_t> values)
{
    QByteArray bytes;
    for (const std::uint16_t value : values.first(std::min<std::size_t>(values.size(), kModelTextCount))) {
        bytes.append(static_cast<char>(value & 0xFF));
        bytes.append(static_cast<char>(value >> 8));
    }
    const qsizetype end = bytes.indexOf('\0');
    return QString::fromUtf8(end < 0 ? bytes : bytes.left(end));
}

QString CDeviceDiscovery::NodeText(const ComSettings::NodeAddress& node)
{
    return QString::asprintf("%02x:%02x:%02x:%02x:%02x:%02x", node[0], node[1], node[2], node[3], node[4], node[5]);
}

QString CDeviceDiscovery::AddressText(const std::array<std::uint8_t, 4>& ipv4)
{
    return QString::asprintf("%d.%d.%d.%d", ipv4[0], ipv4[1], ipv4[2], ipv4[3]);
}
