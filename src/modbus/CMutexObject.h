#pragma once
// A recursive mutex with a timed wait and the semantics callers rely on:
//  - Unlock from a thread that does not own it does nothing;
//  - when the owning thread ends without unlocking, the mutex is abandoned and the next Lock
//    acquires it (an abandoned mutex counts as acquired).

#include "modbus/CSyncObjectInterface.h"

#include <memory>

class CMutexObject : public CSyncObjectInterface {
public:
    struct State;

    CMutexObject();
    ~CMutexObject() override;
    CMutexObject(const CMutexObject&) = delete;
    CMutexObject& operator=(const CMutexObject&) = delete;

    bool Lock(std::chrono::milliseconds timeout) override;
    void Unlock() override;

private:
    // Shared with the owning thread's list of held mutexes, which frees them when it ends.
    std::shared_ptr<State> m_state;
};
