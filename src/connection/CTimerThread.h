#pragma once
// A one-shot watchdog on a thread of its own. The Modbus TCP transport arms it around every
// blocking receive: if the period passes before Stop, the observers are notified on the timer
// thread (with this object as source) and cut the receive short.
//
// Start and Stop come from one controlling thread; Shutdown may come from any thread but the
// timer thread. Observers are added before the first Start.

#include "connection/CObservable.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class CTimerThread : public CObservable {
public:
    CTimerThread();
    ~CTimerThread() override;
    CTimerThread(const CTimerThread&) = delete;
    CTimerThread& operator=(const CTimerThread&) = delete;

    // Arms the watchdog for one period; a Start while armed begins a new period.
    void Start(std::chrono::milliseconds period);
    // Disarms it. On return no tick for the period can still come: a tick already being
    // delivered has finished.
    void Stop();
    // Ends the thread; the object can then only be destroyed. Also done by the destructor.
    void Shutdown();

    std::thread::id GetThreadId() const { return m_thread.get_id(); }

private:
    void Run();

    std::mutex m_guard;
    std::condition_variable m_changed;
    bool m_armed = false;
    // Counts Starts, so that the timer thread sees a re-arm even when it never saw the gap.
    std::uint64_t m_period = 0;
    std::chrono::steady_clock::time_point m_deadline;
    // True while the timer thread delivers a tick; Stop waits for it to end.
    bool m_ticking = false;
    bool m_quit = false;
    std::thread m_thread;
};
