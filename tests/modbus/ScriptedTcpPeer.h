#pragma once
// A Modbus TCP peer for tests, on 127.0.0.1 and a port the system picks. It reads each request
// frame and answers with whatever the test's script says for it: bytes (in pieces, with
// pauses), silence, a close, or a reset. It is deliberately not the simulator: tests of the
// client's framing use a peer whose every byte the test controls.

#include "modbus/CFileDescriptor.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <variant>
#include <vector>

namespace modbus_test {

class ScriptedTcpPeer {
public:
    struct Send {
        std::vector<std::uint8_t> bytes;
    };
    struct Pause {
        std::chrono::milliseconds time;
    };
    struct Close {};
    struct Reset {};
    using Action = std::variant<Send, Pause, Close, Reset>;
    // Called for each request: its number (from 0), its transaction identifier and its PDU.
    using Script = std::function<std::vector<Action>(int number, std::uint16_t transactionId,
                                                     const std::vector<std::uint8_t>& pdu)>;

    explicit ScriptedTcpPeer(Script script) : m_script(std::move(script))
    {
        m_listener.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener.Get(), reinterpret_cast<sockaddr*>(&address), length) != 0
            || ::listen(m_listener.Get(), 4) != 0
            || ::getsockname(m_listener.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen on loopback");
        m_port = ntohs(address.sin_port);
        m_stop.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        m_thread = std::thread([this] { Run(); });
    }

    ~ScriptedTcpPeer()
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(m_stop.Get(), &one, sizeof one);
        m_thread.join();
    }

    std::uint16_t Port() const { return m_port; }

    // Every request received so far, each as its whole frame (MBAP header included).
    std::vector<std::vector<std::uint8_t>> Requests()
    {
        std::lock_guard lock(m_guard);
        return m_requests;
    }

    bool WaitForRequests(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        std::unique_lock lock(m_guard);
        return m_changed.wait_for(lock, limit, [&] { return m_requests.size() >= count; });
    }

private:
    // Waits for `fd` or the stop event; false on stop.
    bool Wait(int fd, int timeoutMs = -1)
    {
        pollfd fds[2] = {{fd, POLLIN, 0}, {m_stop.Get(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeoutMs);
        return ready > 0 && fds[1].revents == 0;
    }

    bool ReadExact(int fd, std::uint8_t* buffer, std::size_t size)
    {
        std::size_t got = 0;
        while (got < size) {
            if (!Wait(fd))
                return false;
            const ssize_t n = ::recv(fd, buffer + got, size - got, 0);
            if (n <= 0)
                return false;
            got += static_cast<std::size_t>(n);
        }
        return true;
    }

    void Run()
    {
        while (Wait(m_listener.Get())) {
            CFileDescriptor connection(::accept4(m_listener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (!connection)
                continue;
            const int on = 1;
            ::setsockopt(connection.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            Serve(connection);
        }
    }

    void Serve(CFileDescriptor& connection)
    {
        for (;;) {
            std::vector<std::uint8_t> frame(6);
            if (!ReadExact(connection.Get(), frame.data(), 6))
                return;
            const std::size_t length = (frame[4] << 8) | frame[5];
            frame.resize(6 + length);
            if (!ReadExact(connection.Get(), frame.data() + 6, length))
                return;
            int number = 0;
            {
                std::lock_guard lock(m_guard);
                number = static_cast<int>(m_requests.size());
                m_requests.push_back(frame);
            }
            m_changed.notify_all();
            const auto id = static_cast<std::uint16_t>((frame[0] << 8) | frame[1]);
            const std::vector<std::uint8_t> pdu(frame.begin() + 6, frame.end());
            for (const Action& action : m_script(number, id, pdu)) {
                if (const auto* send = std::get_if<Send>(&action)) {
                    ::send(connection.Get(), send->bytes.data(), send->bytes.size(), MSG_NOSIGNAL);
                } else if (const auto* pause = std::get_if<Pause>(&action)) {
                    if (!Sleep(pause->time))
                        return;
                } else if (std::holds_alternative<Close>(action)) {
                    return;
                } else if (std::holds_alternative<Reset>(action)) {
                    const linger abort{1, 0};
                    ::setsockopt(connection.Get(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
                    return;
                }
            }
        }
    }

    // Waits for `time`; false when the peer is being stopped.
    bool Sleep(std::chrono::milliseconds time)
    {
        pollfd fd{m_stop.Get(), POLLIN, 0};
        return ::poll(&fd, 1, static_cast<int>(time.count())) == 0;
    }

    Script m_script;
    CFileDescriptor m_listener;
    CFileDescriptor m_stop;
    std::uint16_t m_port = 0;
    std::mutex m_guard;
    std::condition_variable m_changed;
    std::vector<std::vector<std::uint8_t>> m_requests;
    std::thread m_thread;
};

} // namespace modbus_test
