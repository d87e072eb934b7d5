#pragma once
// One device found by the discovery: its node address and the IPv4 address it answered from.
// A slot whose node address is all zero is free.

#include "connection/ComSettings.h"

#include <array>
#include <cstdint>

struct DeviceSlot {
    ComSettings::NodeAddress node{};   // first byte first
    std::array<std::uint8_t, 4> ipv4{}; // first octet first
};
