#include "app/CWriteDeviceTask.h"

#include "app/DeviceIdentity.h"
#include "model/CDevInterface.h"
#include "modbus/CModbusInterface.h"
#include "modbus/CPrivateException.h"

#include <array>

namespace {

void SetWriteMode(CModbusInterface& client, std::uint16_t mode)
{
    const std::array<std::uint16_t, 1> word{mode};
    client.WriteMultipleRegisters(DeviceRegisters::kWriteMode, 1, word);
}

} // namespace

CWriteDeviceTask::CWriteDeviceTask(CModbusInterface& client, std::shared_ptr<const CDevInterface> set)
    : CDeviceTask(client), m_set(std::move(set))
{
}

CWriteDeviceTask::~CWriteDeviceTask() = default;

bool CWriteDeviceTask::Transfer()
{
    if (!IsDeviceFitFor(*m_set, ReadDeviceIdentity(Client())))
        throw CPrivateException("diffdev");
    if (IsCancelRequested())
        return false;

    SetWriteMode(Client(), 1);
    if (IsCancelRequested())
        return false;
    const int count = m_set->GetCount();
    for (int index = 0; index < count; ++index) {
        const CParValue& value = m_set->GetAt(index).GetValue();
        if (value.GetCount() == 0)
            continue;
        Client().WriteMultipleRegisters(value.GetAddress(), value.GetCount(), value.GetWords());
        SetProgress(static_cast<double>(index) / count);
        if (IsCancelRequested())
            return false;
    }
    SetWriteMode(Client(), 0);
    SetProgress(1.0);
    return true;
}
