#pragma once
// Finding the devices on the local network with the "Ethernet (Direct)" transport, for the
// connect dialog: one scan broadcasts a read of the model text (registers 9601 to 9616) to
// every device and lists each device that answers, once, in the device table.
//
// The scan runs as a task on the executor's worker thread, scan after scan while the dialog
// shows the Direct choice; each scan asks for one answer more than the table holds, so that it
// ends at the first answer until a new device has come. The dialog shows the devices a scan
// returns and reads the table for the row the user picks. Cancel (from the user interface)
// ends a running scan's collecting at once.

#include "connection/CDeviceTable.h"
#include "connection/DiscoveredDevice.h"
#include "modbus/CDirectNetwork.h"
#include "modbus/CModbusInterface.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class CDeviceDiscovery {
public:
    // The model text: 16 registers from 9601, two UTF-8 bytes each, the first in the low byte.
    static constexpr std::uint16_t kModelTextAddress = 9601;
    static constexpr std::uint16_t kModelTextCount = 16;
    // This PC's node address when no adapter gives one.
    static constexpr ComSettings::NodeAddress kFallbackNode{0x01, 0x02, 0x03, 0x04, 0x05, 0x06};

    // Scans over `network`; without one, over the process default at the time of each scan.
    explicit CDeviceDiscovery(std::optional<CDirectNetwork> network = std::nullopt);

    // One scan (worker thread). Returns the devices it added to the table, in slot order; a
    // device already listed is not returned again. Every failure (no adapter, no answer, a
    // socket error) ends the scan silently with what it found.
    std::vector<DiscoveredDevice> Scan();

    // Any thread: a running scan stops collecting and returns what it has.
    void Cancel();

    // This PC's node address for the Direct settings: that of the first qualifying adapter of
    // the scan's network, else kFallbackNode.
    ComSettings::NodeAddress LocalNode() const;

    const CDeviceTable& Devices() const { return m_devices; }

    // The texts of a device list row.
    static QString ModelName(std::span<const std::uint16_t> values);
    static QString NodeText(const ComSettings::NodeAddress& node);
    static QString AddressText(const std::array<std::uint8_t, 4>& ipv4);

private:
    CDirectNetwork Network() const;

    std::optional<CDirectNetwork> m_network;
    CModbusInterface m_client;
    CDeviceTable m_devices;
};
