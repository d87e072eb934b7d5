#pragma once
// The receiving side of the observer pair. A window observes its UI proxy; the Modbus client
// observes its watchdog. An observer remembers what it is subscribed to so that it can leave
// every list when it is destroyed.

#include <vector>

class CObservable;

class CObserver {
public:
    CObserver() = default;
    // Subscriptions belong to one object: a copy would be notified by observables that never
    // saw it subscribe.
    CObserver(const CObserver&) = delete;
    CObserver& operator=(const CObserver&) = delete;
    virtual ~CObserver();

    // `source` identifies the notifier (compared by address); see CObservable::Notify.
    virtual void Update(void* source) = 0;

private:
    friend class CObservable;

    // Called by an observable that is going away: drops every entry of it.
    void ForgetObservable(const CObservable* observable);

    std::vector<CObservable*> m_observables;
};
