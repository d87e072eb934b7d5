#pragma once
// Who a connected device says it is: the model code in holding register 9600 and the firmware
// version from 9617 on. The device read, the device write and the monitor poll all start by
// asking; the write then checks that the device may receive the parameter set it carries.

#include <QString>

#include <cstdint>

class CDevInterface;
class CModbusInterface;

// Holding registers that every device model answers, whatever its parameter table.
namespace DeviceRegisters {
inline constexpr std::uint16_t kModelCode = 9600;
// Major, minor and a third part; the firmware key is built from the first two.
inline constexpr std::uint16_t kFirmware = 9617;
// Set to 1 before the parameters of a device write and to 0 after them.
inline constexpr std::uint16_t kWriteMode = 1000;
// Read by the monitor: bit 0 and 1 choose the fast lamp and buzzer blink, bit 7 locks the
// device's commands.
inline constexpr std::uint16_t kStatus = 25502;
// Read by the monitor: the wireless mode (2 means the signal strength has no meaning).
inline constexpr std::uint16_t kWirelessMode = 1100;
} // namespace DeviceRegisters

struct DeviceIdentity {
    std::uint16_t modelCode = 0;
    std::uint32_t firmware = 0; // major version * 65536 + minor version
};

// Reads register 9600 and registers 9617 to 9618 of the open client. Throws the client's
// CPrivateException.
DeviceIdentity ReadDeviceIdentity(CModbusInterface& client);

// The identity test of a device write: the device belongs to the set's family (same last and
// hundreds digit of the model code) and its firmware lies within the set's firmware range,
// bounds included.
bool IsDeviceFitFor(const CDevInterface& set, const DeviceIdentity& device);

// A firmware key as "major.minor" ("1.0" for 65536).
QString FirmwareVersionText(std::uint32_t firmware);
