#include "connection/CObserverProxyUI.h"

#include <QMetaObject>
#include <QObject>

// The receiving end: a QObject on the creating thread whose slot is called through the event
// queue of that thread.
class CObserverProxyReceiver : public QObject {
    Q_OBJECT

public:
    explicit CObserverProxyReceiver(CObserverProxyUI& proxy) : m_proxy(proxy) {}

public slots:
    void Deliver() { m_proxy.DeliverPending(); }

private:
    CObserverProxyUI& m_proxy;
};

CObserverProxyUI::CObserverProxyUI() = default;

// The receiver goes first, together with the wake-up still queued for it; the bases then leave
// every subscription.
CObserverProxyUI::~CObserverProxyUI() = default;

void CObserverProxyUI::Create()
{
    m_receiver = std::make_unique<CObserverProxyReceiver>(*this);
}

void CObserverProxyUI::Update(void* source)
{
    if (!m_receiver)
        return;
    bool wake = false;
    {
        std::lock_guard lock(m_pendingGuard);
        wake = m_pending.empty();
        m_pending.push_back(source);
    }
    // One wake-up per batch: the receiver empties the whole queue each time it runs.
    if (wake)
        QMetaObject::invokeMethod(m_receiver.get(), "Deliver", Qt::QueuedConnection);
}

void CObserverProxyUI::DeliverPending()
{
    for (;;) {
        void* source = nullptr;
        {
            std::lock_guard lock(m_pendingGuard);
            if (m_pending.empty())
                return;
            source = m_pending.front();
            m_pending.pop_front();
        }
        Notify(source);
    }
}

#include "CObserverProxyUI.moc"
