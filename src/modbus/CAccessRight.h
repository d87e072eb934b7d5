#pragma once
// Holds a lock on a synchronisation object for the length of a block. The object is unlocked
// when the guard goes, whatever Lock returned: the program guards only mutexes with it, and
// unlocking a mutex that this thread does not hold does nothing.

#include "modbus/CSyncObjectInterface.h"

class CAccessRight {
public:
    explicit CAccessRight(CSyncObjectInterface& object,
                          std::chrono::milliseconds timeout = CSyncObjectInterface::kInfinite)
        : m_object(object), m_locked(object.Lock(timeout))
    {
    }
    ~CAccessRight() { m_object.Unlock(); }
    CAccessRight(const CAccessRight&) = delete;
    CAccessRight& operator=(const CAccessRight&) = delete;

    bool IsLocked() const { return m_locked; }

private:
    CSyncObjectInterface& m_object;
    bool m_locked;
};
