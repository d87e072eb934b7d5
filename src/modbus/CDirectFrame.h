#pragma once
// The frame of the "Ethernet (Direct)" transport, client side: an 18-byte header before the
// request (unit identifier onwards), in one UDP datagram each way.
//
//   0  2  transaction identifier, high byte first
//   2  2  protocol identifier FF FF
//   4  2  length of what follows the header: 0, then the low 8 bits
//   6  6  source node address (the sender's MAC)
//  12  6  destination node address (the receiver's MAC, or FF FF FF FF FF FF for every device)
//  18  …  unit identifier, function code, data

#include "connection/ComSettings.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class CDirectFrame {
public:
    static constexpr std::size_t kHeaderSize = 18;

    static std::vector<std::uint8_t> Build(std::uint16_t transactionId, const ComSettings::NodeAddress& source,
                                           const ComSettings::NodeAddress& destination,
                                           std::span<const std::uint8_t> request);

    // Fields of a received frame; each needs a whole header.
    static std::uint16_t TransactionId(std::span<const std::uint8_t> frame);
    static ComSettings::NodeAddress SourceNode(std::span<const std::uint8_t> frame);
    static ComSettings::NodeAddress DestinationNode(std::span<const std::uint8_t> frame);
};
