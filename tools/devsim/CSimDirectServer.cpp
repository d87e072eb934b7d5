#include "CSimDirectServer.h"

#include "CFaultPlan.h"
#include "CSimDevice.h"

#include "modbus/CException.h"
#include "modbus/CNetworkGuard.h"

#include <QRegularExpression>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

// Offsets of the Direct header; the request (unit identifier onwards) follows it.
constexpr std::size_t kHeader = 18;
constexpr std::size_t kProtocol = 2;
constexpr std::size_t kLength = 4;
constexpr std::size_t kSource = 6;
constexpr std::size_t kDestination = 12;
// The largest datagram read: a header and the longest Modbus request, with room to spare.
constexpr std::size_t kMaximumDatagram = 1024;
// Bytes an oversized answer carries beyond its data.
constexpr std::size_t kOversizeTail = 16;
const std::uint8_t kGarbage[] = {0x00, 0xFF, 0x7E};

CSimDirectServer::Node NodeAt(std::span<const std::uint8_t> frame, std::size_t offset)
{
    CSimDirectServer::Node node{};
    std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(offset), node.size(), node.begin());
    return node;
}

QString Hex(std::span<const std::uint8_t> bytes)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toHex(' '));
}

QString Endpoint(const sockaddr_in& address)
{
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return QStringLiteral("%1:%2").arg(QString::fromLatin1(text)).arg(ntohs(address.sin_port));
}

} // namespace

CSimDirectServer::CSimDirectServer(std::vector<Member> members, CFaultPlan& faults, const QString& host,
                                   std::uint16_t port, Log log, bool verbose)
    : m_members(std::move(members)), m_faults(faults), m_log(std::move(log)), m_verbose(verbose)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    const QByteArray hostText = host == QLatin1String("localhost") ? QByteArray("127.0.0.1") : host.toLatin1();
    if (::inet_pton(AF_INET, hostText.constData(), &address.sin_addr) != 1)
        throw std::runtime_error("--direct: '" + host.toStdString() + "' is not an IPv4 address");

    m_socket.Reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP));
    socklen_t length = sizeof address;
    if (!m_socket || ::bind(m_socket.Get(), reinterpret_cast<sockaddr*>(&address), length) != 0
        || ::getsockname(m_socket.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error(std::string("--direct: cannot bind: ") + std::strerror(errno));
    m_address = Endpoint(address);

    m_stop.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    m_thread = std::thread([this] { Run(); });
}

CSimDirectServer::~CSimDirectServer()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(m_stop.Get(), &one, sizeof one);
    m_thread.join();
}

bool CSimDirectServer::ParseNode(const QString& text, Node& node)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9a-fA-F]{2})(?::([0-9a-fA-F]{2})){5}$"));
    if (!pattern.match(text).hasMatch())
        return false;
    const QStringList parts = text.split(u':');
    for (std::size_t i = 0; i < node.size(); ++i)
        node[i] = static_cast<std::uint8_t>(parts[static_cast<qsizetype>(i)].toUInt(nullptr, 16));
    return true;
}

QString CSimDirectServer::NodeText(const Node& node)
{
    return QString::asprintf("%02x:%02x:%02x:%02x:%02x:%02x", node[0], node[1], node[2], node[3], node[4], node[5]);
}

CSimDirectServer::Node CSimDirectServer::NextNode(Node node, unsigned steps)
{
    std::uint64_t value = 0;
    for (const std::uint8_t byte : node)
        value = (value << 8) | byte;
    value += steps;
    for (std::size_t i = node.size(); i-- > 0; value >>= 8)
        node[i] = static_cast<std::uint8_t>(value & 0xFF);
    return node;
}

bool CSimDirectServer::Pause(std::chrono::milliseconds time) const
{
    pollfd stop{m_stop.Get(), POLLIN, 0};
    return ::poll(&stop, 1, static_cast<int>(time.count())) == 0;
}

void CSimDirectServer::Run()
{
    std::vector<std::uint8_t> buffer(kMaximumDatagram);
    for (;;) {
        pollfd fds[] = {{m_socket.Get(), POLLIN, 0}, {m_stop.Get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        sockaddr_in sender{};
        socklen_t length = sizeof sender;
        const ssize_t size = ::recvfrom(m_socket.Get(), buffer.data(), buffer.size(), MSG_DONTWAIT,
                                        reinterpret_cast<sockaddr*>(&sender), &length);
        if (size < 0)
            continue;
        Serve(std::span<const std::uint8_t>(buffer).first(static_cast<std::size_t>(size)), sender);
    }
}

void CSimDirectServer::Serve(std::span<const std::uint8_t> frame, const sockaddr_in& sender)
{
    const QString from = Endpoint(sender);
    // A Direct frame: protocol FF FF, a length that counts the bytes after the header, and at
    // least a unit identifier and a function code after it.
    if (frame.size() < kHeader + 2 || frame[kProtocol] != 0xFF || frame[kProtocol + 1] != 0xFF
        || frame[kLength] != 0 || frame[kLength + 1] != frame.size() - kHeader) {
        m_log(QStringLiteral("direct: not a request from %1: %2").arg(from, Hex(frame)));
        return;
    }
    const Node source = NodeAt(frame, kSource);
    const Node destination = NodeAt(frame, kDestination);
    if (m_verbose)
        m_log(QStringLiteral("direct: request from %1 node %2 for %3: %4")
                  .arg(from, NodeText(source), NodeText(destination), Hex(frame.subspan(kHeader))));

    std::vector<const Member*> addressed;
    const bool everyone = std::all_of(destination.begin(), destination.end(), [](std::uint8_t b) { return b == 0xFF; });
    for (const Member& member : m_members)
        if (everyone || member.node == destination)
            addressed.push_back(&member);
    if (addressed.empty())
        return;

    const CFaultPlan::Effects effects = m_faults.NextRequest();
    if (effects.silence || effects.close)
        return;
    if (effects.delay.count() > 0 && !Pause(effects.delay))
        return;
    if (effects.garbage)
        SendTo(kGarbage, sender);

    const std::uint8_t unit = frame[kHeader];
    const auto request = frame.subspan(kHeader + 1);
    std::uint16_t id = static_cast<std::uint16_t>((frame[0] << 8) | frame[1]);
    if (effects.wrongTransactionId)
        --id;
    Node answerTo = source;
    if (effects.otherPc)
        answerTo.back() ^= 0xFF;

    for (const Member* member : addressed) {
        std::vector<std::uint8_t> pdu;
        if (effects.exception)
            pdu = {static_cast<std::uint8_t>(request[0] | 0x80), *effects.exception};
        else
            pdu = member->device->Process(request);
        if (effects.shortAnswer && pdu.size() > 1)
            pdu.pop_back();
        if (effects.oversize)
            pdu.insert(pdu.end(), kOversizeTail, 0);

        const std::size_t length = 1 + pdu.size();
        std::vector<std::uint8_t> answer{static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id & 0xFF), 0xFF, 0xFF,
                                         static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length & 0xFF)};
        answer.insert(answer.end(), member->node.begin(), member->node.end());
        answer.insert(answer.end(), answerTo.begin(), answerTo.end());
        answer.push_back(unit);
        answer.insert(answer.end(), pdu.begin(), pdu.end());
        SendTo(answer, sender);
    }
}

void CSimDirectServer::SendTo(std::span<const std::uint8_t> datagram, const sockaddr_in& sender)
{
    // Answers go back to the sender only; under the loopback-only rule the guard refuses any
    // other than loopback.
    try {
        CNetworkGuard::SendTo(m_socket.Get(), datagram, 0, reinterpret_cast<const sockaddr*>(&sender), sizeof sender);
    } catch (const CException& refused) {
        m_log(QStringLiteral("direct: answer refused: %1").arg(refused.ErrorText()));
    }
}
