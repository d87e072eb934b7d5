#pragma once
// Who answered a broadcast read on the "Ethernet (Direct)" transport, and what it answered.

#include "connection/ComSettings.h"

#include <netinet/in.h>

#include <cstdint>
#include <vector>

struct DirectAnswer {
    sockaddr_in sender{};                   // the datagram's source address
    ComSettings::NodeAddress senderNode{};  // the answer's source node (the device's MAC)
    ComSettings::NodeAddress echoedNode{};  // the answer's destination node (our MAC)
    std::vector<std::uint16_t> values;      // filled by ReadHoldingRegistersFromAll
};
