#include "connection/CObservable.h"

#include "connection/CObserver.h"

#include <algorithm>

CObservable::CObservable(const CObservable& other)
{
    SubscribeAll(other.m_observers);
}

CObservable& CObservable::operator=(const CObservable& other)
{
    if (this != &other) {
        const auto observers = other.m_observers;
        UnsubscribeAll();
        SubscribeAll(observers);
    }
    return *this;
}

CObservable::~CObservable()
{
    UnsubscribeAll();
}

void CObservable::AddObserver(CObserver& observer)
{
    m_observers.push_back(&observer);
    observer.m_observables.push_back(this);
}

void CObservable::Notify(void* source)
{
    void* const notified = source ? source : this;
    // Indexed rather than iterated: an Update may remove an observer (one that is destroyed
    // from its own Update), which must not invalidate the walk.
    for (std::size_t i = 0; i < m_observers.size(); ++i)
        m_observers[i]->Update(notified);
}

void CObservable::SubscribeAll(const std::vector<CObserver*>& observers)
{
    for (CObserver* observer : observers)
        AddObserver(*observer);
}

void CObservable::UnsubscribeAll()
{
    for (CObserver* observer : m_observers)
        observer->ForgetObservable(this);
    m_observers.clear();
}

void CObservable::ForgetObserver(const CObserver* observer)
{
    std::erase(m_observers, observer);
}
