#include "connection/CTimerThread.h"

// One mutex and one condition variable replace the armed/busy mutex handshake: the controlling
// thread never waits while the timer thread needs the lock, and Stop waits only for a tick
// that is being delivered, which holds no lock. So Start, Stop and a tick cannot deadlock and
// the hand-over cannot spin.

CTimerThread::CTimerThread() : m_thread([this] { Run(); }) {}

CTimerThread::~CTimerThread()
{
    Shutdown();
}

void CTimerThread::Start(std::chrono::milliseconds period)
{
    {
        std::lock_guard lock(m_guard);
        m_armed = true;
        ++m_period;
        m_deadline = std::chrono::steady_clock::now() + period;
    }
    m_changed.notify_all();
}

void CTimerThread::Stop()
{
    std::unique_lock lock(m_guard);
    m_armed = false;
    m_changed.notify_all();
    // An observer that stops the timer from its own tick must not wait for itself.
    if (std::this_thread::get_id() != m_thread.get_id())
        m_changed.wait(lock, [this] { return !m_ticking; });
}

void CTimerThread::Shutdown()
{
    {
        std::lock_guard lock(m_guard);
        m_armed = false;
        m_quit = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CTimerThread::Run()
{
    std::unique_lock lock(m_guard);
    while (!m_quit) {
        if (!m_armed) {
            m_changed.wait(lock, [this] { return m_armed || m_quit; });
            continue;
        }
        const auto period = m_period;
        const bool interrupted = m_changed.wait_until(lock, m_deadline, [this, period] {
            return !m_armed || m_quit || m_period != period;
        });
        if (interrupted)
            continue;

        // The period passed while armed: one tick, delivered without the lock so that the
        // observers may cancel a receive (or call Stop) freely.
        m_armed = false;
        m_ticking = true;
        lock.unlock();
        Notify();
        lock.lock();
        m_ticking = false;
        m_changed.notify_all();
    }
}
