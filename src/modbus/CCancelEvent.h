#pragma once
// Lets another thread end a blocking socket call at once. The blocking call polls Fd() beside
// its socket; Cancel (the user) and Interrupt (the watchdog) make Fd() readable.
//
// A Cancel stays in force until Reset, so that it also ends a call that starts just after it
// (the client resets at the start of every chunk and at Open). An Interrupt ends only the call
// in progress: a watchdog tick that loses the race against the answer must not cut short the
// next exchange.

#include "modbus/CFileDescriptor.h"

#include <mutex>

class CCancelEvent {
public:
    CCancelEvent();
    CCancelEvent(const CCancelEvent&) = delete;
    CCancelEvent& operator=(const CCancelEvent&) = delete;

    int Fd() const { return m_event.Get(); }

    // Operation thread, around every blocking call.
    void BeginBlockingCall();
    void EndBlockingCall();
    // Operation thread: forgets an earlier Cancel.
    void Reset();

    // Any thread. Both return whether a blocking call was in progress.
    bool Cancel();
    bool Interrupt();

private:
    void Signal();
    void Drain();

    std::mutex m_guard;
    bool m_inCall = false;
    bool m_cancelled = false;
    CFileDescriptor m_event;
};
