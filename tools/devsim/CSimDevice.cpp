#include "CSimDevice.h"

#include "model/CDevInterface.h"
#include "model/CDevType.h"

#include <QByteArray>

namespace {

// Modbus exception codes.
constexpr std::uint8_t kIllegalFunction = 0x01;
constexpr std::uint8_t kIllegalAddress = 0x02;
constexpr std::uint8_t kIllegalValue = 0x03;

std::vector<std::uint8_t> Exception(std::uint8_t function, std::uint8_t code)
{
    return {static_cast<std::uint8_t>(function | 0x80), code};
}

std::uint16_t Word(std::span<const std::uint8_t> data, std::size_t at)
{
    return static_cast<std::uint16_t>((data[at] << 8) | data[at + 1]);
}

void PushWord(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

bool BeyondEnd(std::uint16_t address, std::size_t count)
{
    return address + count > CRegisterStore::kSize;
}

} // namespace

CSimDevice::CSimDevice(const Identity& identity) : m_identity(identity)
{
    LoadModel();
}

void CSimDevice::LoadModel()
{
    const std::uint32_t firmware = (std::uint32_t(m_identity.firmwareMajor) << 16) | m_identity.firmwareMinor;
    const int row = CDevType::Find(m_identity.modelCode, firmware);
    if (row >= 0) {
        m_hasModel = true;
        m_modelName = QString::fromUtf16(CDevType::Entries()[static_cast<std::size_t>(row)].modelName);
        // The monitor model first: where both models hold a register, the configuration
        // model's default wins.
        for (const ModelUse use : {ModelUse::Monitor, ModelUse::Configuration}) {
            const auto model = CDevType::Create(row, firmware, use);
            for (int i = 0; i < model->GetCount(); ++i) {
                const CParValue& value = model->GetAt(i).GetValue();
                if (value.GetCount() > 0)
                    m_store.SetHolding(value.GetAddress(), value.GetWords());
            }
        }
    }
    m_store.SetHolding(kModelCodeRegister, m_identity.modelCode);
    const std::uint16_t firmwareWords[] = {m_identity.firmwareMajor, m_identity.firmwareMinor, 0};
    m_store.SetHolding(kFirmwareRegister, firmwareWords);
    if (m_identity.modelText.isEmpty())
        m_identity.modelText = (m_hasModel ? m_modelName : QStringLiteral("DEVICE")) + QStringLiteral("-4RYGB");
    StoreModelText(m_identity.modelText);
    m_store.SetHolding(kWriteModeRegister, 0);
    m_store.SetHolding(kStatusRegister, 0);
}

void CSimDevice::StoreModelText(const QString& text)
{
    // 16 registers, two UTF-8 bytes each, the first of a pair in the low byte; a shorter text
    // ends with zero bytes.
    QByteArray bytes = text.toUtf8().left(32);
    bytes.resize(32, '\0');
    for (int i = 0; i < 16; ++i) {
        const auto low = static_cast<std::uint8_t>(bytes[2 * i]);
        const auto high = static_cast<std::uint8_t>(bytes[2 * i + 1]);
        m_store.SetHolding(static_cast<std::uint16_t>(kModelTextRegister + i), static_cast<std::uint16_t>((high << 8) | low));
    }
}

std::uint16_t CSimDevice::Holding(std::uint16_t address)
{
    std::lock_guard lock(m_guard);
    return m_store.Holding(address);
}

void CSimDevice::SetHolding(std::uint16_t address, std::uint16_t value)
{
    std::lock_guard lock(m_guard);
    m_store.SetHolding(address, value);
}

std::vector<std::uint8_t> CSimDevice::Process(std::span<const std::uint8_t> request)
{
    if (request.empty())
        return Exception(0, kIllegalFunction);
    const std::uint8_t function = request[0];
    const auto data = request.subspan(1);
    std::lock_guard lock(m_guard);
    switch (function) {
    case 0x01:
    case 0x02:
        return ReadBits(function, data);
    case 0x03:
    case 0x04:
        return ReadRegisters(function, data);
    case 0x05:
        return WriteCoil(data);
    case 0x06:
        return WriteRegister(data);
    case 0x0F:
        return WriteCoils(data);
    case 0x10:
        return WriteRegisters(data);
    default:
        return Exception(function, kIllegalFunction);
    }
}

std::vector<std::uint8_t> CSimDevice::ReadBits(std::uint8_t function, std::span<const std::uint8_t> data)
{
    if (data.size() != 4)
        return Exception(function, kIllegalValue);
    const std::uint16_t address = Word(data, 0);
    const std::uint16_t count = Word(data, 2);
    // At most 2000 bits: the byte count of the answer is one byte.
    if (count < 1 || count > 2000)
        return Exception(function, kIllegalValue);
    if (BeyondEnd(address, count))
        return Exception(function, kIllegalAddress);
    std::vector<std::uint8_t> answer{function, static_cast<std::uint8_t>((count + 7) / 8)};
    answer.resize(2 + answer[1], 0);
    for (std::uint16_t i = 0; i < count; ++i) {
        const auto at = static_cast<std::uint16_t>(address + i);
        const bool on = function == 0x01 ? m_store.Coil(at) : m_store.DiscreteInput(at);
        if (on)
            answer[2 + i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
    }
    return answer;
}

std::vector<std::uint8_t> CSimDevice::ReadRegisters(std::uint8_t function, std::span<const std::uint8_t> data)
{
    if (data.size() != 4)
        return Exception(function, kIllegalValue);
    const std::uint16_t address = Word(data, 0);
    const std::uint16_t count = Word(data, 2);
    // At most 125 registers: the byte count of the answer is one byte.
    if (count < 1 || count > 125)
        return Exception(function, kIllegalValue);
    if (BeyondEnd(address, count))
        return Exception(function, kIllegalAddress);
    std::vector<std::uint8_t> answer{function, static_cast<std::uint8_t>(2 * count)};
    for (std::uint16_t i = 0; i < count; ++i)
        PushWord(answer, m_store.Holding(static_cast<std::uint16_t>(address + i)));
    return answer;
}

std::vector<std::uint8_t> CSimDevice::WriteCoil(std::span<const std::uint8_t> data)
{
    if (data.size() != 4)
        return Exception(0x05, kIllegalValue);
    const std::uint16_t value = Word(data, 2);
    if (value != 0xFF00 && value != 0x0000)
        return Exception(0x05, kIllegalValue);
    m_store.SetCoil(Word(data, 0), value == 0xFF00);
    std::vector<std::uint8_t> answer{0x05};
    answer.insert(answer.end(), data.begin(), data.end());
    return answer;
}

std::vector<std::uint8_t> CSimDevice::WriteRegister(std::span<const std::uint8_t> data)
{
    if (data.size() != 4)
        return Exception(0x06, kIllegalValue);
    m_store.SetHolding(Word(data, 0), Word(data, 2));
    std::vector<std::uint8_t> answer{0x06};
    answer.insert(answer.end(), data.begin(), data.end());
    return answer;
}

std::vector<std::uint8_t> CSimDevice::WriteCoils(std::span<const std::uint8_t> data)
{
    if (data.size() < 5)
        return Exception(0x0F, kIllegalValue);
    const std::uint16_t address = Word(data, 0);
    const std::uint16_t count = Word(data, 2);
    if (count < 1 || count > 1968 || data[4] != (count + 7) / 8 || data.size() != 5u + data[4])
        return Exception(0x0F, kIllegalValue);
    if (BeyondEnd(address, count))
        return Exception(0x0F, kIllegalAddress);
    for (std::uint16_t i = 0; i < count; ++i)
        m_store.SetCoil(static_cast<std::uint16_t>(address + i), (data[5 + i / 8] >> (i % 8)) & 1);
    std::vector<std::uint8_t> answer{0x0F};
    answer.insert(answer.end(), data.begin(), data.begin() + 4);
    return answer;
}

std::vector<std::uint8_t> CSimDevice::WriteRegisters(std::span<const std::uint8_t> data)
{
    if (data.size() < 5)
        return Exception(0x10, kIllegalValue);
    const std::uint16_t address = Word(data, 0);
    const std::uint16_t count = Word(data, 2);
    if (count < 1 || count > 123 || data[4] != 2 * count || data.size() != 5u + data[4])
        return Exception(0x10, kIllegalValue);
    if (BeyondEnd(address, count))
        return Exception(0x10, kIllegalAddress);
    for (std::uint16_t i = 0; i < count; ++i)
        m_store.SetHolding(static_cast<std::uint16_t>(address + i), Word(data, 5 + 2 * i));
    std::vector<std::uint8_t> answer{0x10};
    answer.insert(answer.end(), data.begin(), data.begin() + 4);
    return answer;
}
