#include "connection/CBackgroundExecutor.h"

#include "connection/CBackgroundExecutorThread.h"

#include <QCoreApplication>

CBackgroundExecutor::CBackgroundExecutor() : m_thread(std::make_unique<CBackgroundExecutorThread>())
{
}

CBackgroundExecutor::~CBackgroundExecutor()
{
    // A task posted while the queue drains lands behind the quit task and does not run.
    m_thread->Shutdown();
}

CBackgroundExecutor& CBackgroundExecutor::Instance()
{
    static CBackgroundExecutor executor;
    // Tasks still queued at program end run while the application object, and everything the
    // tasks may use, still exists: the worker is ended as the application object goes, not as
    // late as the static destructors, which run after the main thread's thread-local objects
    // are gone.
    static const bool endsWithApplication = [] {
        qAddPostRoutine([] { executor.m_thread->Shutdown(); });
        return true;
    }();
    (void)endsWithApplication;
    return executor;
}

void CBackgroundExecutor::Execute(CSimpleFunctor& task)
{
    m_thread->Post(task);
}
