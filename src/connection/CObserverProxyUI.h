#pragma once
// Carries a notification from any thread over to the thread that called Create (in the
// program, the user-interface thread): Update only queues the source and returns at once; the
// receiver then re-notifies this object's own observers there, in the order the notifications
// were posted.

#include "connection/CObservable.h"
#include "connection/CObserver.h"

#include <deque>
#include <memory>
#include <mutex>

class QObject;

class CObserverProxyUI : public CObservable, public CObserver {
public:
    CObserverProxyUI();
    ~CObserverProxyUI() override;
    CObserverProxyUI(const CObserverProxyUI&) = delete;
    CObserverProxyUI& operator=(const CObserverProxyUI&) = delete;

    // Makes the receiver that lives on the calling thread. Notifications that come before
    // Create, or after the proxy is gone, are lost.
    void Create();

    // Callable from any thread.
    void Update(void* source) override;

private:
    friend class CObserverProxyReceiver;

    // On the receiver's thread: notifies every queued source, oldest first.
    void DeliverPending();

    // The sources travel through this queue rather than inside the posted call: the lock that
    // guards it is also what hands the task's results over to the receiving thread.
    std::mutex m_pendingGuard;
    std::deque<void*> m_pending;
    // Stands in for the hidden message window. Qt drops the wake-up still queued for it when
    // it is destroyed.
    std::unique_ptr<QObject> m_receiver;
};
