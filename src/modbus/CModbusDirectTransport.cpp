#include "modbus/CModbusDirectTransport.h"

#include "modbus/CCancelEvent.h"
#include "modbus/CDebugTrace.h"
#include "modbus/CDirectFrame.h"
#include "modbus/CNetworkAdapterSource.h"
#include "modbus/DirectAnswer.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

std::atomic<std::uint16_t> CModbusDirectTransport::s_transactionCounter{0};

namespace {

using Clock = std::chrono::steady_clock;

// Marks the receive as a blocking call, so that Cancel wakes it, whichever way it leaves.
class BlockingCall {
public:
    explicit BlockingCall(CCancelEvent& cancel) : m_cancel(cancel) { m_cancel.BeginBlockingCall(); }
    ~BlockingCall() { m_cancel.EndBlockingCall(); }
    BlockingCall(const BlockingCall&) = delete;
    BlockingCall& operator=(const BlockingCall&) = delete;

private:
    CCancelEvent& m_cancel;
};

} // namespace

CModbusDirectTransport::CModbusDirectTransport(const ComSettings& settings, CDirectNetwork network,
                                               CCancelEvent& cancelEvent, const std::atomic<bool>& cancelFlag)
    : m_ownNode(settings.OwnNode), m_targetNode(settings.TargetNode), m_network(std::move(network)),
      m_cancelEvent(cancelEvent), m_cancelFlag(cancelFlag)
{
}

CModbusDirectTransport::~CModbusDirectTransport() = default;

std::uint16_t CModbusDirectTransport::SendRequest(std::span<const std::uint8_t> request)
{
    const std::uint16_t id = ++s_transactionCounter;
    const auto frame = CDirectFrame::Build(id, m_ownNode, m_targetNode, request);

    // Answers to the previous request, still waiting in its sockets, go with them.
    m_sockets.clear();
    for (const NetworkAdapter& adapter : m_network.Adapters().ListAdapters()) {
        for (const in_addr& address : adapter.addresses) {
            CDirectSocket socket(address, adapter.index);
            if (!socket.IsOpen())
                continue;
            socket.Send(frame, m_network.Destination());
            m_sockets.push_back(std::move(socket));
        }
    }
    return id;
}

void CModbusDirectTransport::SetResponseTimeout(std::chrono::milliseconds, std::size_t) {}

ModbusReply CModbusDirectTransport::ReceiveResponse(std::size_t expectedLength, DirectAnswer* answer)
{
    ModbusReply reply;
    // Room for a whole answer and no more: a longer datagram is reported as cut short and dropped.
    std::vector<std::uint8_t> buffer(CDirectFrame::kHeaderSize + expectedLength);
    BlockingCall call(m_cancelEvent);
    const auto deadline = Clock::now() + kReceiveWait;

    // Without any socket the wait still lasts its time (or until a Cancel): a discovery that
    // runs scan after scan on a PC without a usable adapter must not spin.
    for (;;) {
        std::vector<pollfd> fds;
        fds.reserve(m_sockets.size() + 1);
        for (const CDirectSocket& socket : m_sockets)
            fds.push_back({socket.Fd(), POLLIN, 0});
        fds.push_back({m_cancelEvent.Fd(), POLLIN, 0});
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
        if (ready < 0 && errno != EINTR)
            return reply;

        for (std::size_t i = 0; i < m_sockets.size(); ++i) {
            if (Cancelled())
                return reply;
            if (ready <= 0 || fds[i].revents == 0)
                continue;
            const auto datagram = m_sockets[i].Receive(buffer);
            if (!datagram || datagram->truncated)
                continue;
            const auto frame = std::span<const std::uint8_t>(buffer).first(datagram->size);
            if (!IsAnswerForUs(frame))
                continue;
            if (answer) {
                answer->sender = datagram->sender;
                answer->senderNode = CDirectFrame::SourceNode(frame);
                answer->echoedNode = CDirectFrame::DestinationNode(frame);
            }
            reply.outcome = ModbusReply::Outcome::Complete;
            reply.transactionId = CDirectFrame::TransactionId(frame);
            reply.payload.assign(frame.begin() + CDirectFrame::kHeaderSize, frame.end());
            return reply;
        }
        if (Cancelled() || Clock::now() >= deadline)
            return reply;
    }
}

bool CModbusDirectTransport::IsAnswerForUs(std::span<const std::uint8_t> frame) const
{
    // A header alone carries no answer; the PC's own broadcast, heard back, has our node as
    // its source; an answer to another PC has that PC's node as destination.
    return frame.size() > CDirectFrame::kHeaderSize && CDirectFrame::SourceNode(frame) != m_ownNode
        && CDirectFrame::DestinationNode(frame) == m_ownNode;
}

bool CModbusDirectTransport::Cancelled() const
{
    if (!m_cancelFlag)
        return false;
    CDebugTrace::Write(QStringLiteral("Cancel\n"));
    return true;
}

std::uint16_t CModbusDirectTransport::LastTransactionId()
{
    return s_transactionCounter.load();
}

void CModbusDirectTransport::SetLastTransactionId(std::uint16_t value)
{
    s_transactionCounter.store(value);
}
