#pragma once
// One Modbus request as the transports receive it: unit identifier, function code and the
// function's fields, with no framing. It knows the length of the answer it asks for.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class CModbusRequest {
public:
    enum Function : std::uint8_t {
        ReadCoils = 0x01,
        ReadDiscreteInputs = 0x02,
        ReadHoldingRegisters = 0x03,
        WriteSingleCoil = 0x05,
        WriteMultipleRegisters = 0x10,
    };

    // Functions 1 and 2: the bit quantity goes out as two bytes.
    static CModbusRequest ReadBits(std::uint8_t unit, Function function, std::uint16_t address,
                                   std::uint16_t count);
    // Function 3: the register quantity goes out as a zero byte and the count in one byte.
    static CModbusRequest ReadRegisters(std::uint8_t unit, std::uint16_t address, std::uint8_t count);
    // Function 16: at most 127 registers, whose byte count must fit in one byte.
    static CModbusRequest WriteRegisters(std::uint8_t unit, std::uint16_t address,
                                         std::span<const std::uint16_t> values);
    // Function 5.
    static CModbusRequest WriteCoil(std::uint8_t unit, std::uint16_t address, bool on);

    std::span<const std::uint8_t> Bytes() const { return m_bytes; }
    std::uint8_t FunctionCode() const { return m_bytes[1]; }
    // Unit identifier, function code and data of a complete answer.
    std::size_t ExpectedResponseLength() const { return m_expectedLength; }
    bool IsRead() const;

private:
    CModbusRequest(std::vector<std::uint8_t> bytes, std::size_t expectedLength);

    std::vector<std::uint8_t> m_bytes;
    std::size_t m_expectedLength;
};
