#pragma once
// A peer of the Direct transport for tests: one UDP socket on 127.0.0.1 and a port the system
// picks, standing in for the network behind the broadcast destination. For each datagram it
// receives it answers the sender with whatever the test's script says: datagrams (well-formed
// answers of several devices, or anything else), with pauses. It is deliberately not the
// simulator: tests of the client's framing use a peer whose every byte the test controls.

#include "modbus/CFileDescriptor.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
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

using Node = std::array<std::uint8_t, 6>;

// A Direct frame written out here, apart from the client's code: transaction identifier,
// FF FF, the length of what follows the header, source node, destination node, then `pdu`
// (unit identifier onwards).
inline std::vector<std::uint8_t> DirectFrame(std::uint16_t id, const Node& source, const Node& destination,
                                             const std::vector<std::uint8_t>& pdu)
{
    std::vector<std::uint8_t> frame{static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id & 0xFF), 0xFF, 0xFF,
                                    0, static_cast<std::uint8_t>(pdu.size())};
    frame.insert(frame.end(), source.begin(), source.end());
    frame.insert(frame.end(), destination.begin(), destination.end());
    frame.insert(frame.end(), pdu.begin(), pdu.end());
    return frame;
}

class ScriptedDirectPeer {
public:
    struct Request {
        sockaddr_in sender{};
        std::vector<std::uint8_t> frame;

        std::uint16_t Id() const { return static_cast<std::uint16_t>((frame[0] << 8) | frame[1]); }
        Node Source() const { return NodeAt(6); }
        std::vector<std::uint8_t> Pdu() const { return {frame.begin() + 18, frame.end()}; }
        std::string SenderAddress() const
        {
            char text[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &sender.sin_addr, text, sizeof text);
            return text;
        }

    private:
        Node NodeAt(std::size_t offset) const
        {
            Node node{};
            std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(offset), node.size(), node.begin());
            return node;
        }
    };
    struct Send {
        std::vector<std::uint8_t> bytes;
    };
    struct Pause {
        std::chrono::milliseconds time;
    };
    using Action = std::variant<Send, Pause>;
    // Called for each datagram received, with its number (from 0).
    using Script = std::function<std::vector<Action>(int number, const Request& request)>;

    explicit ScriptedDirectPeer(Script script) : m_script(std::move(script))
    {
        m_socket.Reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        m_address.sin_family = AF_INET;
        m_address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof m_address;
        if (::bind(m_socket.Get(), reinterpret_cast<sockaddr*>(&m_address), length) != 0
            || ::getsockname(m_socket.Get(), reinterpret_cast<sockaddr*>(&m_address), &length) != 0)
            throw std::runtime_error("cannot bind on loopback");
        m_stop.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        m_thread = std::thread([this] { Run(); });
    }

    ~ScriptedDirectPeer()
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(m_stop.Get(), &one, sizeof one);
        m_thread.join();
    }

    // Where the client's broadcast goes instead of 255.255.255.255:502.
    const sockaddr_in& Address() const { return m_address; }

    std::vector<Request> Requests()
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
    void Run()
    {
        std::vector<std::uint8_t> buffer(2048);
        for (;;) {
            pollfd fds[2] = {{m_socket.Get(), POLLIN, 0}, {m_stop.Get(), POLLIN, 0}};
            if (::poll(fds, 2, -1) <= 0 || fds[1].revents != 0)
                return;
            Request request;
            socklen_t length = sizeof request.sender;
            const ssize_t n = ::recvfrom(m_socket.Get(), buffer.data(), buffer.size(), 0,
                                         reinterpret_cast<sockaddr*>(&request.sender), &length);
            if (n < 0)
                continue;
            request.frame.assign(buffer.begin(), buffer.begin() + n);
            int number = 0;
            {
                std::lock_guard lock(m_guard);
                number = static_cast<int>(m_requests.size());
                m_requests.push_back(request);
            }
            m_changed.notify_all();
            for (const Action& action : m_script(number, request)) {
                if (const auto* send = std::get_if<Send>(&action)) {
                    ::sendto(m_socket.Get(), send->bytes.data(), send->bytes.size(), 0,
                             reinterpret_cast<const sockaddr*>(&request.sender), sizeof request.sender);
                } else if (const auto* pause = std::get_if<Pause>(&action)) {
                    pollfd stop{m_stop.Get(), POLLIN, 0};
                    if (::poll(&stop, 1, static_cast<int>(pause->time.count())) != 0)
                        return;
                }
            }
        }
    }

    Script m_script;
    CFileDescriptor m_socket;
    CFileDescriptor m_stop;
    sockaddr_in m_address{};
    std::mutex m_guard;
    std::condition_variable m_changed;
    std::vector<Request> m_requests;
    std::thread m_thread;
};

} // namespace modbus_test
