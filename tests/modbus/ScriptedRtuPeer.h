#pragma once
// A Modbus RTU peer for tests on a pseudo-terminal pair that it makes: the client opens Path(),
// the peer reads each request frame on the master side and answers as the test's script says.
// The peer keeps the slave side open itself, so that the pair survives the client's closes.

#include "modbus/CFileDescriptor.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <variant>
#include <vector>

namespace modbus_test {

class ScriptedRtuPeer {
public:
    struct Send {
        std::vector<std::uint8_t> bytes; // sent as they are: the script adds the CRC
    };
    struct Pause {
        std::chrono::milliseconds time;
    };
    // Closes the master side: the client sees the line hang up.
    struct HangUp {};
    using Action = std::variant<Send, Pause, HangUp>;
    // Called for each request frame (CRC included) with its number, from 0.
    using Script = std::function<std::vector<Action>(int number, const std::vector<std::uint8_t>& frame)>;

    explicit ScriptedRtuPeer(Script script) : m_script(std::move(script))
    {
        m_master.Reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
        char name[128] = {};
        if (!m_master || ::grantpt(m_master.Get()) != 0 || ::unlockpt(m_master.Get()) != 0
            || ::ptsname_r(m_master.Get(), name, sizeof name) != 0)
            throw std::runtime_error("cannot make a pseudo-terminal");
        m_path = name;
        m_slave.Reset(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
        termios raw{};
        ::tcgetattr(m_slave.Get(), &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave.Get(), TCSANOW, &raw);
        m_stop.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        m_thread = std::thread([this] { Run(); });
    }

    ~ScriptedRtuPeer()
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(m_stop.Get(), &one, sizeof one);
        m_thread.join();
    }

    const std::string& Path() const { return m_path; }

    // Puts bytes on the line towards the client, outside any exchange.
    void Inject(std::span<const std::uint8_t> bytes)
    {
        [[maybe_unused]] auto written = ::write(m_master.Get(), bytes.data(), bytes.size());
    }

    std::vector<std::vector<std::uint8_t>> Requests()
    {
        std::lock_guard lock(m_guard);
        return m_requests;
    }

private:
    bool Wait(int timeoutMs = -1)
    {
        pollfd fds[2] = {{m_master.Get(), POLLIN, 0}, {m_stop.Get(), POLLIN, 0}};
        return ::poll(fds, 2, timeoutMs) > 0 && fds[1].revents == 0;
    }

    bool ReadExact(std::vector<std::uint8_t>& frame, std::size_t count)
    {
        const std::size_t end = frame.size() + count;
        while (frame.size() < end) {
            if (!Wait())
                return false;
            std::uint8_t byte = 0;
            if (::read(m_master.Get(), &byte, 1) != 1)
                return false;
            frame.push_back(byte);
        }
        return true;
    }

    bool Sleep(std::chrono::milliseconds time)
    {
        pollfd fd{m_stop.Get(), POLLIN, 0};
        return ::poll(&fd, 1, static_cast<int>(time.count())) == 0;
    }

    void Run()
    {
        for (;;) {
            std::vector<std::uint8_t> frame;
            if (!ReadExact(frame, 2))
                return;
            const std::uint8_t function = frame[1];
            if (function == 0x0F || function == 0x10) {
                if (!ReadExact(frame, 5) || !ReadExact(frame, frame[6] + 2u))
                    return;
            } else if (!ReadExact(frame, 6)) {
                return;
            }
            int number = 0;
            {
                std::lock_guard lock(m_guard);
                number = static_cast<int>(m_requests.size());
                m_requests.push_back(frame);
            }
            for (const Action& action : m_script(number, frame)) {
                if (const auto* send = std::get_if<Send>(&action)) {
                    Inject(send->bytes);
                } else if (const auto* pause = std::get_if<Pause>(&action)) {
                    if (!Sleep(pause->time))
                        return;
                } else if (std::holds_alternative<HangUp>(action)) {
                    m_master.Reset();
                    return;
                }
            }
        }
    }

    Script m_script;
    CFileDescriptor m_master;
    CFileDescriptor m_slave;
    CFileDescriptor m_stop;
    std::string m_path;
    std::mutex m_guard;
    std::vector<std::vector<std::uint8_t>> m_requests;
    std::thread m_thread;
};

} // namespace modbus_test
