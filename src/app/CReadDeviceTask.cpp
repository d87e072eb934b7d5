#include "app/CReadDeviceTask.h"

#include "app/DeviceIdentity.h"
#include "model/CDevInterface.h"
#include "model/CDevType.h"
#include "modbus/CModbusInterface.h"
#include "modbus/CPrivateException.h"

CReadDeviceTask::CReadDeviceTask(CModbusInterface& client) : CDeviceTask(client) {}

CReadDeviceTask::~CReadDeviceTask() = default;

bool CReadDeviceTask::Transfer()
{
    const DeviceIdentity identity = ReadDeviceIdentity(Client());
    std::shared_ptr<CDevInterface> set =
        CDevType::CreateFor(identity.modelCode, identity.firmware, ModelUse::Configuration);
    if (!set)
        throw CPrivateException("unknowndev", identity.modelCode);
    if (IsCancelRequested())
        return false;

    const int count = set->GetCount();
    for (int index = 0; index < count; ++index) {
        CParValue& value = set->GetAt(index).GetValue();
        if (value.GetCount() == 0)
            continue;
        Client().ReadHoldingRegisters(value.GetAddress(), value.GetCount(), value.GetWords());
        SetProgress(static_cast<double>(index) / count);
        if (IsCancelRequested())
            return false;
    }
    SetProgress(1.0);
    m_result = std::move(set);
    return true;
}
