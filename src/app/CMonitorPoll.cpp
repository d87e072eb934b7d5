#include "app/CMonitorPoll.h"

#include "app/CMonitorPanel.h"
#include "app/DeviceIdentity.h"
#include "model/CDevInterface.h"
#include "model/CDevType.h"
#include "model/CModbusMapping.h"
#include "modbus/CException.h"
#include "modbus/CModbusInterface.h"
#include "modbus/CPrivateException.h"

#include <algorithm>
#include <array>
#include <span>

namespace {

// A register value that the device sends when there is no signal to measure.
constexpr std::uint16_t kNoSignal = 0x8000;
// The one model whose MAC address comes with the bytes of each word swapped.
constexpr std::uint16_t kSwappedMacModel = 6002;

std::uint16_t ReadOneRegister(CModbusInterface& client, std::uint16_t address)
{
    std::array<std::uint16_t, 1> word{};
    client.ReadHoldingRegisters(address, 1, word);
    return word[0];
}

std::uint16_t ReadSixteenBits(CModbusInterface& client, bool coils)
{
    std::array<std::uint8_t, 2> bits{};
    if (coils)
        client.ReadCoils(0, 16, bits);
    else
        client.ReadDiscreteInputs(0, 16, bits);
    return static_cast<std::uint16_t>(bits[0] | (bits[1] << 8));
}

// The device's own conventions, undone so that the parameters show what they mean.
void AdjustReadValues(CDevInterface& model, const MonitorDeviceValues& values)
{
    const std::uint16_t code = model.GetModelCode();
    const int family = code % 10;
    // Wired devices have no signal, nor has a wireless one in mode 2.
    if (family == 1 || (family == 3 && values.wirelessMode == 2)) {
        CParValue& rssi = model.GetParameter(u"rssi").GetValue();
        if (rssi.GetCount() > 0)
            rssi.GetWords()[0] = kNoSignal;
    }
    if (code == kSwappedMacModel) {
        const std::span<std::uint16_t> mac = model.GetParameter(u"mac").GetValue().GetWords();
        for (std::uint16_t& word : mac.first(std::min<std::size_t>(3, mac.size())))
            word = static_cast<std::uint16_t>((word << 8) | (word >> 8));
    }
}

} // namespace

CMonitorPoll::CMonitorPoll(CModbusInterface& client) : m_client(client) {}

void CMonitorPoll::Stop()
{
    m_stop = true;
    m_client.Cancel();
}

MonitorSnapshot CMonitorPoll::GetSnapshot() const
{
    const std::lock_guard lock(m_guard);
    return m_snapshot;
}

void CMonitorPoll::AbortIfStopped() const
{
    if (m_stop)
        throw CPrivateException(QString());
}

void CMonitorPoll::PollTask()
{
    MonitorSnapshot next = GetSnapshot();
    try {
        ReadDevice(next);
        m_client.Close();
        next.state = MonitorOk;
        next.errorText.clear();
    } catch (const CException& error) {
        m_client.Close();
        next.values = {};
        if (!m_stop) {
            next.state = MonitorFailed;
            next.errorText = error.ErrorText();
        }
    }
    const std::lock_guard lock(m_guard);
    m_snapshot = std::move(next);
}

void CMonitorPoll::ReadDevice(MonitorSnapshot& next)
{
    m_client.Open();
    AbortIfStopped();

    std::array<std::uint16_t, 1> code{};
    m_client.ReadHoldingRegisters(DeviceRegisters::kModelCode, 1, code);
    std::array<std::uint16_t, 3> firmware{};
    m_client.ReadHoldingRegisters(DeviceRegisters::kFirmware, 3, firmware);
    const std::uint32_t firmwareKey = (std::uint32_t{firmware[0]} << 16) | firmware[1];
    std::shared_ptr<CDevInterface> model = CDevType::CreateFor(code[0], firmwareKey, ModelUse::Monitor);
    if (!model)
        throw CPrivateException("unknowndev", code[0]);

    CModbusMapping mapping;
    for (int index = 0; index < model->GetCount(); ++index)
        mapping.Add(model->GetAt(index).GetValue());
    for (CParValue& block : mapping.GetBlocks()) {
        // The firmware words are in hand already.
        if (block.GetAddress() == DeviceRegisters::kFirmware && block.GetCount() == firmware.size())
            std::copy(firmware.begin(), firmware.end(), block.GetWords().begin());
        else
            m_client.ReadHoldingRegisters(block.GetAddress(), block.GetCount(), block.GetWords());
    }
    for (int index = 0; index < model->GetCount(); ++index) {
        mapping.Read(model->GetAt(index).GetValue());
        model->OnParameterChanged(index);
    }

    MonitorDeviceValues values;
    AbortIfStopped();
    values.coils = ReadSixteenBits(m_client, true);
    AbortIfStopped();
    values.status = ReadOneRegister(m_client, DeviceRegisters::kStatus);
    if (CMonitorPanel::HasInputs(code[0])) {
        AbortIfStopped();
        values.inputs = ReadSixteenBits(m_client, false);
    }
    AbortIfStopped();
    values.wirelessMode = ReadOneRegister(m_client, DeviceRegisters::kWirelessMode);

    AdjustReadValues(*model, values);
    next.model = std::move(model);
    next.values = values;
}
