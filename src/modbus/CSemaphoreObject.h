#pragma once
// A counting semaphore with a timed wait; Unlock beyond the maximum count is ignored.

#include "modbus/CSyncObjectInterface.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>

class CSemaphoreObject : public CSyncObjectInterface {
public:
    CSemaphoreObject(std::int32_t initialCount, std::int32_t maximumCount);
    CSemaphoreObject(const CSemaphoreObject&) = delete;
    CSemaphoreObject& operator=(const CSemaphoreObject&) = delete;

    bool Lock(std::chrono::milliseconds timeout) override;
    void Unlock() override;

private:
    std::mutex m_guard;
    std::condition_variable m_raised;
    std::int32_t m_count;
    std::int32_t m_maximum;
};
