#include "CInterruptWatcher.h"

#include <ctime>

CInterruptWatcher::CInterruptWatcher(std::function<void()> onInterrupt) : m_onInterrupt(std::move(onInterrupt))
{
    sigemptyset(&m_signals);
    sigaddset(&m_signals, SIGINT);
    sigaddset(&m_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &m_signals, nullptr);
    m_thread = std::thread([this] { Watch(); });
}

CInterruptWatcher::~CInterruptWatcher()
{
    m_done = true;
    m_thread.join();
}

void CInterruptWatcher::Watch()
{
    // A short wait, so that the destructor never waits long for the thread.
    const timespec wait{0, 50'000'000};
    while (!m_done) {
        if (sigtimedwait(&m_signals, nullptr, &wait) > 0) {
            m_interrupted = true;
            m_onInterrupt();
        }
    }
}
