#pragma once
// The one object through which the program talks to a device: five Modbus operations over the
// transport that the communication settings choose (RTU on a serial port, Modbus TCP, or the
// "Ethernet (Direct)" broadcast).
//
// Operations run on one thread (the executor's worker). Long requests are split into chunks;
// each chunk makes up to 3 attempts (10 in mode 2), and every failure is thrown as a
// CPrivateException composed from "mbio.message". Cancel and the TCP watchdog may come from
// other threads.

#include "app/CResourceManager.h"
#include "connection/CObserver.h"
#include "connection/ComSettings.h"
#include "modbus/CCancelEvent.h"
#include "modbus/CDirectNetwork.h"
#include "modbus/CMutexObject.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

struct DirectAnswer;
class CModbusRequest;
class CModbusTransport;

class CModbusInterface : public CObserver, public CMutexObject, public CResourceManager {
public:
    CModbusInterface();
    // Closes whatever is still open.
    ~CModbusInterface() override;
    CModbusInterface(const CModbusInterface&) = delete;
    CModbusInterface& operator=(const CModbusInterface&) = delete;

    // The settings are assigned before Open and read by every step.
    void SetComSettings(const ComSettings& settings) { m_settings = settings; }
    const ComSettings& GetComSettings() const { return m_settings; }
    // The adapters and destination of the Direct transport, taken at Open; without one the
    // process default applies (CDirectNetwork::ProcessDefault).
    void SetDirectNetwork(std::optional<CDirectNetwork> network) { m_directNetwork = std::move(network); }

    // Closes what is open, then opens the transport that Mode selects. Throws "mbio.tcperr",
    // "serio.openerr" or "MSG_CANNOT_COM_SETTING".
    void Open();
    // Releases everything; safe when nothing is open.
    void Close();
    // Any thread: the running operation stops after its current transaction, and a blocked
    // TCP receive ends at once.
    void Cancel();

    // Addresses are the 0-based addresses on the wire; counts are registers or bits. The
    // buffers must hold `count` values, or (count + 7) / 8 bytes of packed bits. Each returns
    // true or throws.
    bool ReadCoils(std::uint16_t address, std::uint16_t count, std::span<std::uint8_t> bits);
    bool ReadDiscreteInputs(std::uint16_t address, std::uint16_t count, std::span<std::uint8_t> bits);
    bool ReadHoldingRegisters(std::uint16_t address, std::uint16_t count,
                              std::span<std::uint16_t> values);
    bool WriteMultipleRegisters(std::uint16_t address, std::uint16_t count,
                                std::span<const std::uint16_t> values);
    bool WriteSingleCoil(std::uint16_t address, bool on);
    // Direct mode only: collects the answers of every device to one broadcast read, one record
    // per device (by its node address), until `wanted` records are there or the time is up.
    // False at once in any other mode.
    bool ReadHoldingRegistersFromAll(std::uint16_t address, std::uint16_t count, std::size_t wanted,
                                     std::vector<DirectAnswer>& answers);

    // The watchdog's tick (on its thread): ends the blocked TCP receive.
    void Update(void* source) override;

private:
    struct Chunking;

    std::uint8_t UnitId() const;
    int MaxAttempts() const;
    Chunking ChunkSizes() const;

    // One chunk: the attempt loop around send, time-out, receive and checks. Returns the
    // checked answer (unit identifier onwards).
    std::vector<std::uint8_t> Transact(const CModbusRequest& request, const char* name,
                                       std::uint16_t address, std::uint16_t count);
    std::uint16_t SendRequest(const CModbusRequest& request);
    void SetResponseTimeout(std::chrono::milliseconds base, std::size_t bytes);
    std::vector<std::uint8_t> ReceiveResponse(const CModbusRequest& request, const char* name,
                                              std::uint16_t address, std::uint16_t count,
                                              std::uint16_t transactionId, DirectAnswer* answer);
    bool ReadBits(std::uint8_t function, const char* name, std::uint16_t address,
                  std::uint16_t count, std::span<std::uint8_t> bits);

    ComSettings m_settings;
    std::optional<CDirectNetwork> m_directNetwork;
    std::unique_ptr<CModbusTransport> m_transport;
    std::atomic<bool> m_cancel{false};
    CCancelEvent m_cancelEvent;
};
