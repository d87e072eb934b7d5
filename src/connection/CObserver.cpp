#include "connection/CObserver.h"

#include "connection/CObservable.h"

#include <algorithm>

CObserver::~CObserver()
{
    for (CObservable* observable : m_observables)
        observable->ForgetObserver(this);
}

void CObserver::ForgetObservable(const CObservable* observable)
{
    std::erase(m_observables, observable);
}
