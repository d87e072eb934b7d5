#include "modbus/CModbusTcpTransport.h"

#include "connection/CObserver.h"
#include "connection/CTimerThread.h"
#include "connection/ComSettings.h"
#include "modbus/CCancelEvent.h"
#include "modbus/CMessageFormatter.h"
#include "modbus/CNetworkGuard.h"
#include "modbus/CPrivateException.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>

std::atomic<std::uint16_t> CModbusTcpTransport::s_transactionCounter{0};

namespace {

[[noreturn]] void ThrowTcpError(int systemError)
{
    throw CPrivateException("mbio.tcperr", CMessageFormatter(systemError).GetText());
}

// Brackets one blocking call: the watchdog (when given) and the cancel event see it start and
// end whichever way the call leaves.
class BlockingCall {
public:
    BlockingCall(CCancelEvent& cancel, CTimerThread* watchdog, std::chrono::milliseconds time)
        : m_cancel(cancel), m_watchdog(watchdog)
    {
        m_cancel.BeginBlockingCall();
        if (m_watchdog)
            m_watchdog->Start(time);
    }
    ~BlockingCall()
    {
        if (m_watchdog)
            m_watchdog->Stop();
        m_cancel.EndBlockingCall();
    }
    BlockingCall(const BlockingCall&) = delete;
    BlockingCall& operator=(const BlockingCall&) = delete;

private:
    CCancelEvent& m_cancel;
    CTimerThread* m_watchdog;
};

// Waits until `fd` is ready for `events` or the cancel event fires. False when cancelled or
// when polling fails.
bool WaitReady(int fd, short events, const CCancelEvent& cancel)
{
    for (;;) {
        std::array<pollfd, 2> fds{{{fd, events, 0}, {cancel.Fd(), POLLIN, 0}}};
        const int ready = ::poll(fds.data(), fds.size(), -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (fds[1].revents != 0)
            return false;
        if (fds[0].revents != 0)
            return true;
    }
}

} // namespace

CModbusTcpTransport::CModbusTcpTransport(const ComSettings& settings, CCancelEvent& cancel,
                                         CObserver& watchdogObserver)
    : m_cancel(cancel)
{
    Connect(settings);
    m_watchdog = std::make_unique<CTimerThread>();
    m_watchdog->AddObserver(watchdogObserver);
}

CModbusTcpTransport::~CModbusTcpTransport()
{
    // The watchdog's thread ends before the socket closes, so no tick can reach a closed client.
    if (m_watchdog)
        m_watchdog->Shutdown();
}

void CModbusTcpTransport::Connect(const ComSettings& settings)
{
    m_socket.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!m_socket)
        ThrowTcpError(errno);

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const QByteArray host = settings.ServerAddress.toLocal8Bit();
    const QByteArray service = settings.ServicePort.toLocal8Bit();
    const int resolved = ::getaddrinfo(host.constData(), service.constData(), &hints, &found);
    if (resolved != 0) {
        const int systemError = errno;
        m_socket.Reset();
        if (resolved == EAI_SYSTEM)
            ThrowTcpError(systemError);
        throw CPrivateException("mbio.tcperr", QString::fromLocal8Bit(::gai_strerror(resolved)));
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> list(found, &::freeaddrinfo);

    // The connect waits for its outcome, but a Cancel from the user interface can end it: a
    // host that drops the connection attempt would otherwise hold the worker for minutes.
    const int flags = ::fcntl(m_socket.Get(), F_GETFL);
    ::fcntl(m_socket.Get(), F_SETFL, flags | O_NONBLOCK);
    int error = 0;
    if (CNetworkGuard::Connect(m_socket.Get(), list->ai_addr, list->ai_addrlen) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            BlockingCall call(m_cancel, nullptr, {});
            if (WaitReady(m_socket.Get(), POLLOUT, m_cancel)) {
                socklen_t length = sizeof error;
                if (::getsockopt(m_socket.Get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                    error = errno;
            } else {
                error = ECANCELED;
            }
        }
    }
    if (error != 0) {
        m_socket.Reset();
        ThrowTcpError(error);
    }
    ::fcntl(m_socket.Get(), F_SETFL, flags);

    // Requests and answers are a few bytes each: they must go out at once, not wait for more.
    const int on = 1;
    ::setsockopt(m_socket.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

std::uint16_t CModbusTcpTransport::SendRequest(std::span<const std::uint8_t> request)
{
    const std::uint16_t id = ++s_transactionCounter;
    std::vector<std::uint8_t> frame;
    frame.reserve(6 + request.size());
    frame.push_back(static_cast<std::uint8_t>(id >> 8));
    frame.push_back(static_cast<std::uint8_t>(id & 0xFF));
    frame.push_back(0);
    frame.push_back(0);
    frame.push_back(static_cast<std::uint8_t>(request.size() >> 8));
    frame.push_back(static_cast<std::uint8_t>(request.size() & 0xFF));
    frame.insert(frame.end(), request.begin(), request.end());

    DiscardWaitingInput();
    // A failed send is not reported here: it shows as a receive that gets nothing.
    std::span<const std::uint8_t> rest(frame);
    while (!rest.empty()) {
        const ssize_t sent = CNetworkGuard::SendTo(m_socket.Get(), rest, MSG_NOSIGNAL, nullptr, 0);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            break;
        rest = rest.subspan(static_cast<std::size_t>(sent));
    }
    return id;
}

void CModbusTcpTransport::SetResponseTimeout(std::chrono::milliseconds, std::size_t)
{
    m_watchdogTime = kWatchdogTime;
}

ModbusReply CModbusTcpTransport::ReceiveResponse(std::size_t, DirectAnswer*)
{
    ModbusReply reply;
    BlockingCall call(m_cancel, m_watchdog.get(), m_watchdogTime);

    std::array<std::uint8_t, 6> header{};
    if (ReadExact(header) < header.size())
        return reply;
    reply.transactionId = static_cast<std::uint16_t>((header[0] << 8) | header[1]);
    const std::size_t length = (static_cast<std::size_t>(header[4]) << 8) | header[5];
    // A header alone carries no answer at all.
    if (length == 0)
        return reply;
    // More than any Modbus frame can hold: the length cannot be trusted, so nothing after the
    // header is read as this answer. What follows is discarded before the next request.
    if (length > kMaximumLength) {
        reply.outcome = ModbusReply::Outcome::Incomplete;
        return reply;
    }
    reply.payload.resize(length);
    const std::size_t got = ReadExact(reply.payload);
    reply.payload.resize(got);
    reply.outcome = got == length ? ModbusReply::Outcome::Complete : ModbusReply::Outcome::Incomplete;
    return reply;
}

bool CModbusTcpTransport::IsWatchdog(const void* source) const
{
    return source == m_watchdog.get();
}

std::size_t CModbusTcpTransport::ReadExact(std::span<std::uint8_t> buffer)
{
    std::size_t got = 0;
    while (got < buffer.size()) {
        if (!WaitReady(m_socket.Get(), POLLIN, m_cancel))
            break;
        const ssize_t n = ::recv(m_socket.Get(), buffer.data() + got, buffer.size() - got, MSG_DONTWAIT);
        if (n > 0)
            got += static_cast<std::size_t>(n);
        else if (n == 0)
            break;
        else if (errno != EAGAIN && errno != EINTR)
            break;
    }
    return got;
}

void CModbusTcpTransport::DiscardWaitingInput()
{
    // Bounded, so that a peer that never stops sending cannot hold the request back for ever.
    constexpr std::size_t kLimit = 64 * 1024;
    std::array<std::uint8_t, 512> scratch{};
    for (std::size_t discarded = 0; discarded < kLimit;) {
        const ssize_t n = ::recv(m_socket.Get(), scratch.data(), scratch.size(), MSG_DONTWAIT);
        if (n <= 0)
            break;
        discarded += static_cast<std::size_t>(n);
    }
}

std::uint16_t CModbusTcpTransport::LastTransactionId()
{
    return s_transactionCounter.load();
}

void CModbusTcpTransport::SetLastTransactionId(std::uint16_t value)
{
    s_transactionCounter.store(value);
}
