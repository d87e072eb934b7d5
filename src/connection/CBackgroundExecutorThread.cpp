#include "connection/CBackgroundExecutorThread.h"

#include "connection/CSimpleFunctor.h"
#include "modbus/CAccessRight.h"
#include "modbus/CDebugTrace.h"

#include <cstdint>
#include <exception>
#include <limits>

namespace {

// A task body that lets an exception escape would otherwise end the worker and, with it, every
// later task. The owner learns of the end through the usual notification.
template <typename Step>
void RunGuarded(const char* what, Step&& step)
{
    try {
        step();
    } catch (const std::exception& error) {
        CDebugTrace::Write(QStringLiteral("Executor: %1 ended by an exception: %2\n")
                               .arg(QLatin1String(what), QString::fromUtf8(error.what())));
    } catch (...) {
        CDebugTrace::Write(QStringLiteral("Executor: %1 ended by an exception\n")
                               .arg(QLatin1String(what)));
    }
}

} // namespace

CBackgroundExecutorThread::CBackgroundExecutorThread()
    : m_queueSignal(0, std::numeric_limits<std::int32_t>::max()), m_thread([this] { Run(); })
{
}

CBackgroundExecutorThread::~CBackgroundExecutorThread()
{
    if (m_thread.joinable())
        Shutdown();
}

void CBackgroundExecutorThread::Post(CSimpleFunctor& task)
{
    CAccessRight lock(m_queueLock);
    m_queue.push_back(&task);
    m_queueSignal.Unlock();
}

void CBackgroundExecutorThread::Shutdown()
{
    if (!m_thread.joinable())
        return;
    CSimpleFunctor quit(this, &CBackgroundExecutorThread::PostQuit);
    Post(quit);
    m_thread.join();
}

void CBackgroundExecutorThread::Run()
{
    while (!m_quit)
        OnIdle();
}

void CBackgroundExecutorThread::OnIdle()
{
    if (!m_queueSignal.Wait(kIdleWait))
        return;

    CSimpleFunctor* task = nullptr;
    {
        CAccessRight lock(m_queueLock);
        task = m_queue.front();
    }
    RunGuarded("a task", [task] { task->Invoke(); });
    RunGuarded("a completion notice", [task] { task->Notify(); });
    {
        CAccessRight lock(m_queueLock);
        m_queue.pop_front();
    }
}

void CBackgroundExecutorThread::PostQuit()
{
    m_quit = true;
}
