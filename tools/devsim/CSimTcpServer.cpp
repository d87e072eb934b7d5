#include "CSimTcpServer.h"

#include "CFaultPlan.h"
#include "CSimDevice.h"

#include "modbus/CException.h"
#include "modbus/CNetworkGuard.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

// Unit identifier and the largest PDU.
constexpr std::size_t kMaximumLength = 254;
const std::uint8_t kGarbage[] = {0x00, 0xFF, 0x7E};

bool SendAll(int fd, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = CNetworkGuard::SendTo(fd, bytes, MSG_NOSIGNAL, nullptr, 0);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
    return true;
}

} // namespace

CSimTcpServer::CSimTcpServer(CSimDevice& device, CFaultPlan& faults, const QString& host,
                             std::uint16_t port, Log log, bool verbose)
    : m_device(device), m_faults(faults), m_log(std::move(log)), m_verbose(verbose)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    const QByteArray hostText = host == QLatin1String("localhost") ? QByteArray("127.0.0.1") : host.toLatin1();
    if (::inet_pton(AF_INET, hostText.constData(), &address.sin_addr) != 1)
        throw std::runtime_error("--tcp: '" + host.toStdString() + "' is not an IPv4 address");

    m_listener.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int on = 1;
    ::setsockopt(m_listener.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    socklen_t length = sizeof address;
    if (!m_listener || ::bind(m_listener.Get(), reinterpret_cast<sockaddr*>(&address), length) != 0
        || ::listen(m_listener.Get(), 8) != 0
        || ::getsockname(m_listener.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error(std::string("--tcp: cannot listen: ") + std::strerror(errno));
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    m_address = QStringLiteral("%1:%2").arg(QString::fromLatin1(text)).arg(ntohs(address.sin_port));

    m_stop.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

CSimTcpServer::~CSimTcpServer()
{
    // The event stays readable: every thread polling it sees the stop.
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(m_stop.Get(), &one, sizeof one);
    m_acceptThread.join();
    std::lock_guard lock(m_guard);
    for (Connection& connection : m_connections)
        connection.thread.join();
}

QString CSimTcpServer::Address() const
{
    return m_address;
}

bool CSimTcpServer::WaitReadable(int fd) const
{
    for (;;) {
        std::array<pollfd, 2> fds{{{fd, POLLIN, 0}, {m_stop.Get(), POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        return fds[1].revents == 0;
    }
}

bool CSimTcpServer::ReadExact(int fd, std::uint8_t* buffer, std::size_t size) const
{
    std::size_t got = 0;
    while (got < size) {
        if (!WaitReadable(fd))
            return false;
        const ssize_t n = ::recv(fd, buffer + got, size - got, 0);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
            return false;
        if (n > 0)
            got += static_cast<std::size_t>(n);
    }
    return true;
}

void CSimTcpServer::AcceptLoop()
{
    while (WaitReadable(m_listener.Get())) {
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        CFileDescriptor connection(::accept4(m_listener.Get(), reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC));
        if (!connection)
            continue;
        // Answers go back to whoever connected: under the loopback-only rule nobody else may.
        try {
            CNetworkGuard::CheckDestination(reinterpret_cast<sockaddr*>(&peer), length);
        } catch (const CException& refused) {
            m_log(QStringLiteral("tcp: connection refused: %1").arg(refused.ErrorText()));
            continue;
        }
        const int on = 1;
        ::setsockopt(connection.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        ReapFinished();
        std::lock_guard lock(m_guard);
        Connection& slot = m_connections.emplace_back();
        slot.thread = std::thread([this, &slot, fd = connection.Release()] {
            Serve(fd);
            ::close(fd);
            slot.finished = true;
        });
    }
}

void CSimTcpServer::ReapFinished()
{
    std::lock_guard lock(m_guard);
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        if (it->finished) {
            it->thread.join();
            it = m_connections.erase(it);
        } else {
            ++it;
        }
    }
}

void CSimTcpServer::Serve(int fd)
{
    for (;;) {
        std::array<std::uint8_t, 6> header{};
        if (!ReadExact(fd, header.data(), header.size()))
            return;
        const std::size_t length = (header[4] << 8) | header[5];
        // A frame without unit and function, or longer than any, cannot be followed: the
        // stream is lost and so is the connection.
        if (length < 2 || length > kMaximumLength) {
            m_log(QStringLiteral("tcp: request with length %1, closing the connection").arg(length));
            return;
        }
        std::vector<std::uint8_t> body(length);
        if (!ReadExact(fd, body.data(), body.size()))
            return;

        if (m_verbose)
            m_log(QStringLiteral("tcp: request %1").arg(QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(body.data()), qsizetype(body.size())).toHex(' '))));
        const CFaultPlan::Effects effects = m_faults.NextRequest();
        if (effects.close)
            return;
        if (effects.silence)
            continue;
        const std::uint8_t unit = body[0];
        std::vector<std::uint8_t> pdu;
        if (effects.exception)
            pdu = {static_cast<std::uint8_t>(body[1] | 0x80), *effects.exception};
        else
            pdu = m_device.Process(std::span(body).subspan(1));
        if (effects.shortAnswer && pdu.size() > 1)
            pdu.pop_back();

        std::uint16_t id = static_cast<std::uint16_t>((header[0] << 8) | header[1]);
        if (effects.wrongTransactionId)
            --id;
        const std::size_t answerLength = 1 + pdu.size();
        std::vector<std::uint8_t> frame;
        if (effects.garbage)
            frame.assign(std::begin(kGarbage), std::end(kGarbage));
        const std::uint8_t mbap[] = {static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id & 0xFF), header[2], header[3],
                                     static_cast<std::uint8_t>(answerLength >> 8), static_cast<std::uint8_t>(answerLength & 0xFF), unit};
        frame.insert(frame.end(), std::begin(mbap), std::end(mbap));
        frame.insert(frame.end(), pdu.begin(), pdu.end());

        if (effects.delay.count() > 0) {
            pollfd stop{m_stop.Get(), POLLIN, 0};
            if (::poll(&stop, 1, static_cast<int>(effects.delay.count())) != 0)
                return;
        }
        if (effects.split) {
            // Header, unit and function code in the first segment, the rest after the gap.
            const std::size_t first = std::min<std::size_t>(frame.size(), frame.size() - pdu.size() + 1);
            if (!SendAll(fd, std::span(frame).first(first)))
                return;
            pollfd stop{m_stop.Get(), POLLIN, 0};
            if (::poll(&stop, 1, static_cast<int>(effects.split->count())) != 0)
                return;
            if (!SendAll(fd, std::span(frame).subspan(first)))
                return;
        } else if (!SendAll(fd, frame)) {
            return;
        }
    }
}
