#include "modbus/CDirectFrame.h"

#include <algorithm>

namespace {

constexpr std::size_t kSourceOffset = 6;
constexpr std::size_t kDestinationOffset = 12;

ComSettings::NodeAddress NodeAt(std::span<const std::uint8_t> frame, std::size_t offset)
{
    ComSettings::NodeAddress node{};
    const auto field = frame.subspan(offset, node.size());
    std::copy(field.begin(), field.end(), node.begin());
    return node;
}

} // namespace

std::vector<std::uint8_t> CDirectFrame::Build(std::uint16_t transactionId, const ComSettings::NodeAddress& source,
                                              const ComSettings::NodeAddress& destination,
                                              std::span<const std::uint8_t> request)
{
    std::vector<std::uint8_t> frame;
    frame.reserve(kHeaderSize + request.size());
    frame.push_back(static_cast<std::uint8_t>(transactionId >> 8));
    frame.push_back(static_cast<std::uint8_t>(transactionId & 0xFF));
    frame.push_back(0xFF);
    frame.push_back(0xFF);
    // A request is at most 253 bytes, so the length always fits in its low byte.
    frame.push_back(0);
    frame.push_back(static_cast<std::uint8_t>(request.size() & 0xFF));
    frame.insert(frame.end(), source.begin(), source.end());
    frame.insert(frame.end(), destination.begin(), destination.end());
    frame.insert(frame.end(), request.begin(), request.end());
    return frame;
}

std::uint16_t CDirectFrame::TransactionId(std::span<const std::uint8_t> frame)
{
    return static_cast<std::uint16_t>((frame[0] << 8) | frame[1]);
}

ComSettings::NodeAddress CDirectFrame::SourceNode(std::span<const std::uint8_t> frame)
{
    return NodeAt(frame, kSourceOffset);
}

ComSettings::NodeAddress CDirectFrame::DestinationNode(std::span<const std::uint8_t> frame)
{
    return NodeAt(frame, kDestinationOffset);
}
