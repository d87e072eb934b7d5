#pragma once
// One simulated device: its identity, its register store, and the Modbus functions it serves
// (1 to 6, 15 and 16). It works on bare PDUs (function code and data); the servers add and
// remove their transport's framing. Every server thread goes through it, so it locks.

#include "CRegisterStore.h"

#include <QString>

#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

class CSimDevice {
public:
    struct Identity {
        std::uint16_t modelCode = 6001;
        std::uint16_t firmwareMajor = 1;
        std::uint16_t firmwareMinor = 0;
        QString modelText; // empty: the model's name with four lamps, red, yellow, green, blue
    };

    // Registers of the identity and of the monitor panel.
    static constexpr std::uint16_t kModelCodeRegister = 9600;
    static constexpr std::uint16_t kModelTextRegister = 9601; // 16 registers, UTF-8
    static constexpr std::uint16_t kFirmwareRegister = 9617;  // major, minor, 0
    static constexpr std::uint16_t kWriteModeRegister = 1000;
    static constexpr std::uint16_t kStatusRegister = 25502;
    static constexpr std::uint16_t kWirelessModeRegister = 1100;

    // Fills the register map of the model that the registry gives for the identity, each
    // parameter at its default value, then the identity registers. A code without a model
    // gets the identity registers only (see HasModel).
    explicit CSimDevice(const Identity& identity);

    const Identity& GetIdentity() const { return m_identity; }
    bool HasModel() const { return m_hasModel; }
    QString ModelName() const { return m_modelName; }

    // The answer PDU to a request PDU; an exception answer for what the device cannot do.
    std::vector<std::uint8_t> Process(std::span<const std::uint8_t> request);

    // Test and script access to the data.
    std::uint16_t Holding(std::uint16_t address);
    void SetHolding(std::uint16_t address, std::uint16_t value);

private:
    void LoadModel();
    void StoreModelText(const QString& text);

    std::vector<std::uint8_t> ReadBits(std::uint8_t function, std::span<const std::uint8_t> data);
    std::vector<std::uint8_t> ReadRegisters(std::uint8_t function, std::span<const std::uint8_t> data);
    std::vector<std::uint8_t> WriteCoil(std::span<const std::uint8_t> data);
    std::vector<std::uint8_t> WriteRegister(std::span<const std::uint8_t> data);
    std::vector<std::uint8_t> WriteCoils(std::span<const std::uint8_t> data);
    std::vector<std::uint8_t> WriteRegisters(std::span<const std::uint8_t> data);

    std::mutex m_guard;
    Identity m_identity;
    CRegisterStore m_store;
    bool m_hasModel = false;
    QString m_modelName;
};
