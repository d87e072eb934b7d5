#include "app/DeviceIdentity.h"

#include "model/CDevInterface.h"
#include "model/CDevType.h"
#include "modbus/CModbusInterface.h"

#include <array>

DeviceIdentity ReadDeviceIdentity(CModbusInterface& client)
{
    std::array<std::uint16_t, 1> code{};
    client.ReadHoldingRegisters(DeviceRegisters::kModelCode, 1, code);
    std::array<std::uint16_t, 2> firmware{};
    client.ReadHoldingRegisters(DeviceRegisters::kFirmware, 2, firmware);
    return {code[0], (std::uint32_t{firmware[0]} << 16) | firmware[1]};
}

bool IsDeviceFitFor(const CDevInterface& set, const DeviceIdentity& device)
{
    return CDevType::IsCompatible(set.GetModelCode(), device.modelCode)
        && set.GetFirmwareMinimum() <= device.firmware && device.firmware <= set.GetFirmwareMaximum();
}

QString FirmwareVersionText(std::uint32_t firmware)
{
    return QStringLiteral("%1.%2").arg(firmware >> 16).arg(firmware & 0xFFFF);
}
