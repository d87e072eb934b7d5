#pragma once
// One way of carrying requests to a device: it frames and sends a request and obtains the raw
// answer. Attempts, checks and error messages belong to CModbusInterface alone, so that every
// transport fails in the same words.
//
// A transport is open for as long as it exists.

#include "modbus/ModbusReply.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

struct DirectAnswer;

class CModbusTransport {
public:
    virtual ~CModbusTransport();

    // Frames and sends `request`; returns the transaction identifier the answer must carry.
    virtual std::uint16_t SendRequest(std::span<const std::uint8_t> request) = 0;

    // How long the next receive may wait, from a base time and the byte count of the exchange.
    virtual void SetResponseTimeout(std::chrono::milliseconds base, std::size_t bytes) = 0;

    // Obtains the answer to the request just sent. `expectedLength` is the length of a
    // complete answer (unit identifier onwards); `answer`, when given, learns who answered.
    virtual ModbusReply ReceiveResponse(std::size_t expectedLength, DirectAnswer* answer) = 0;

    // True when `source` is this transport's watchdog (see CModbusInterface::Update).
    virtual bool IsWatchdog(const void* source) const;
};
