#pragma once
// Turns SIGINT and SIGTERM into a cancel while a device command runs: the signals are blocked
// and taken by a thread of this object, which calls the given function (once per signal). The
// function runs on that thread, so it may do what a signal handler may not, such as cancelling
// the Modbus client. Create it before any other thread starts, so that all of them inherit the
// blocked signals.

#include <signal.h>

#include <atomic>
#include <functional>
#include <thread>

class CInterruptWatcher {
public:
    explicit CInterruptWatcher(std::function<void()> onInterrupt);
    // Stops watching; the signals stay blocked until the process ends.
    ~CInterruptWatcher();
    CInterruptWatcher(const CInterruptWatcher&) = delete;
    CInterruptWatcher& operator=(const CInterruptWatcher&) = delete;

    bool WasInterrupted() const { return m_interrupted.load(); }

private:
    void Watch();

    std::function<void()> m_onInterrupt;
    sigset_t m_signals{};
    std::atomic<bool> m_interrupted{false};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};
