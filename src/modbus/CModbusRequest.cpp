#include "modbus/CModbusRequest.h"

#include <stdexcept>

namespace {

std::uint8_t High(std::uint16_t value)
{
    return static_cast<std::uint8_t>(value >> 8);
}

std::uint8_t Low(std::uint16_t value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}

} // namespace

CModbusRequest::CModbusRequest(std::vector<std::uint8_t> bytes, std::size_t expectedLength)
    : m_bytes(std::move(bytes)), m_expectedLength(expectedLength)
{
}

CModbusRequest CModbusRequest::ReadBits(std::uint8_t unit, Function function,
                                        std::uint16_t address, std::uint16_t count)
{
    return CModbusRequest({unit, function, High(address), Low(address), High(count), Low(count)},
                          3 + (static_cast<std::size_t>(count) + 7) / 8);
}

CModbusRequest CModbusRequest::ReadRegisters(std::uint8_t unit, std::uint16_t address,
                                             std::uint8_t count)
{
    return CModbusRequest({unit, ReadHoldingRegisters, High(address), Low(address), 0, count},
                          3 + 2 * static_cast<std::size_t>(count));
}

CModbusRequest CModbusRequest::WriteRegisters(std::uint8_t unit, std::uint16_t address,
                                              std::span<const std::uint16_t> values)
{
    if (values.size() > 127)
        throw std::length_error("a write request carries at most 127 registers");
    const auto count = static_cast<std::uint8_t>(values.size());
    std::vector<std::uint8_t> bytes{unit, WriteMultipleRegisters, High(address), Low(address), 0,
                                    count, static_cast<std::uint8_t>(2 * count)};
    bytes.reserve(bytes.size() + 2 * values.size());
    for (const std::uint16_t value : values) {
        bytes.push_back(High(value));
        bytes.push_back(Low(value));
    }
    return CModbusRequest(std::move(bytes), 6);
}

CModbusRequest CModbusRequest::WriteCoil(std::uint8_t unit, std::uint16_t address, bool on)
{
    return CModbusRequest({unit, WriteSingleCoil, High(address), Low(address),
                           static_cast<std::uint8_t>(on ? 0xFF : 0x00), 0x00},
                          6);
}

bool CModbusRequest::IsRead() const
{
    return FunctionCode() == ReadCoils || FunctionCode() == ReadDiscreteInputs
        || FunctionCode() == ReadHoldingRegisters;
}
