#pragma once
// A lockable object with a timed wait: the executor's queue mutex and job semaphore, and the
// Modbus client itself, are all used through this interface.

#include <chrono>

class CSyncObjectInterface {
public:
    // Waits without limit.
    static constexpr std::chrono::milliseconds kInfinite{0xFFFFFFFF};

    // True when the object was acquired within `timeout`.
    virtual bool Lock(std::chrono::milliseconds timeout) = 0;
    virtual void Unlock() = 0;
    virtual ~CSyncObjectInterface();

    bool Wait(std::chrono::milliseconds timeout) { return Lock(timeout); }
};
