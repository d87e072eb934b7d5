#pragma once
// The executor's worker: one thread that runs posted tasks one at a time, oldest first. A task
// stays at the front of the queue while it runs and its observers are notified before the next
// task starts.

#include "modbus/CMutexObject.h"
#include "modbus/CSemaphoreObject.h"

#include <chrono>
#include <deque>
#include <thread>

class CSimpleFunctor;

class CBackgroundExecutorThread {
public:
    // How long the idle worker waits for a task before it looks for its quit request again.
    static constexpr std::chrono::milliseconds kIdleWait{1000};

    CBackgroundExecutorThread();
    // Joins the worker if Shutdown has not already done so.
    ~CBackgroundExecutorThread();
    CBackgroundExecutorThread(const CBackgroundExecutorThread&) = delete;
    CBackgroundExecutorThread& operator=(const CBackgroundExecutorThread&) = delete;

    // Any thread. The task is not copied: it must live until it has run and notified.
    void Post(CSimpleFunctor& task);

    // Queues a quit task behind everything already posted and waits until the worker has run
    // them all and ended. Must not be called from the worker itself.
    void Shutdown();

private:
    void Run();
    // One turn of the worker: wait for a task, run it, notify, remove it.
    void OnIdle();
    // The quit task's body; runs on the worker.
    void PostQuit();

    std::deque<CSimpleFunctor*> m_queue;
    CSemaphoreObject m_queueSignal;
    CMutexObject m_queueLock;
    // Written and read only by the worker (the quit task runs there), so it needs no lock.
    bool m_quit = false;
    // Started last, once everything it uses exists.
    std::thread m_thread;
};
