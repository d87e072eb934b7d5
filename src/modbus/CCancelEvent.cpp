#include "modbus/CCancelEvent.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

CCancelEvent::CCancelEvent() : m_event(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

void CCancelEvent::BeginBlockingCall()
{
    std::lock_guard lock(m_guard);
    if (!m_cancelled)
        Drain();
    m_inCall = true;
}

void CCancelEvent::EndBlockingCall()
{
    std::lock_guard lock(m_guard);
    m_inCall = false;
}

void CCancelEvent::Reset()
{
    std::lock_guard lock(m_guard);
    m_cancelled = false;
    Drain();
}

bool CCancelEvent::Cancel()
{
    std::lock_guard lock(m_guard);
    m_cancelled = true;
    Signal();
    return m_inCall;
}

bool CCancelEvent::Interrupt()
{
    std::lock_guard lock(m_guard);
    if (m_inCall)
        Signal();
    return m_inCall;
}

void CCancelEvent::Signal()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(m_event.Get(), &one, sizeof one);
}

void CCancelEvent::Drain()
{
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(m_event.Get(), &count, sizeof count);
}
