#pragma once
// The serial ports offered in the connect dialog: COM1..COM16 (/dev/ttyS0..15) always, then
// the ports the system lists, in a stable order, named by their udev description.

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class CComPortList {
public:
    struct ComPortInfo {
        QString devicePath;  // what the serial transport opens
        QString displayName; // what the user sees
    };

    // One port as the system enumerates it.
    struct SerialPortRecord {
        QString portName;       // "ttyUSB0"
        QString systemLocation; // "/dev/ttyUSB0"
        QString description;    // udev's model or product text, may be empty
        QString stablePath;     // "/dev/serial/by-id/..." when present
    };
    using PortSource = std::function<std::vector<SerialPortRecord>()>;

    CComPortList();
    explicit CComPortList(const PortSource& source);

    int GetCount() const { return static_cast<int>(m_ports.size()); }
    QString GetDisplayName(int position) const;
    QString GetDevicePath(int position) const;

    // The ports of this machine (QSerialPortInfo and /dev/serial/by-id).
    static std::vector<SerialPortRecord> SystemPorts();

private:
    const ComPortInfo* At(int position) const;

    std::map<std::int32_t, ComPortInfo> m_ports;
};
