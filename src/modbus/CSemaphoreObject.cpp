#include "modbus/CSemaphoreObject.h"

CSemaphoreObject::CSemaphoreObject(std::int32_t initialCount, std::int32_t maximumCount)
    : m_count(initialCount), m_maximum(maximumCount)
{
}

bool CSemaphoreObject::Lock(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_guard);
    auto available = [this] { return m_count > 0; };
    if (timeout == kInfinite)
        m_raised.wait(lock, available);
    else if (!m_raised.wait_for(lock, timeout, available))
        return false;
    --m_count;
    return true;
}

void CSemaphoreObject::Unlock()
{
    {
        std::lock_guard lock(m_guard);
        if (m_count >= m_maximum)
            return;
        ++m_count;
    }
    m_raised.notify_one();
}
