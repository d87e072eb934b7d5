#pragma once
// The notifying side of the observer pair. A finished task, the progress window's Cancel button
// and the watchdog's tick reach their observers through it.
//
// Subscriptions are recorded on both sides (see CObserver), so whichever end is destroyed
// first removes itself from the other and no dangling pointer survives. The lists are not
// locked: they are built and torn down on the user-interface thread while nothing notifies.

#include <vector>

class CObserver;

class CObservable {
public:
    CObservable() = default;
    // A copy subscribes itself to every observer of `other`.
    CObservable(const CObservable& other);
    // Leaves the current observers, then subscribes to every observer of `other`.
    CObservable& operator=(const CObservable& other);
    virtual ~CObservable();

    // Appends `observer`; the same observer may be added more than once and is then notified
    // once per entry.
    void AddObserver(CObserver& observer);

    // Calls Update of every observer in list order with `source`, or with this object when
    // `source` is null.
    void Notify(void* source = nullptr);

private:
    friend class CObserver;

    void SubscribeAll(const std::vector<CObserver*>& observers);
    void UnsubscribeAll();
    // Called by an observer that is going away: drops every entry of it.
    void ForgetObserver(const CObserver* observer);

    std::vector<CObserver*> m_observers;
};
