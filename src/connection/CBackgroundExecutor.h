#pragma once
// Runs every device exchange off the user-interface thread: posted tasks run on one worker
// thread, one at a time and in posting order. The program uses the one process-wide instance;
// tests may make their own.

#include <memory>

class CBackgroundExecutorThread;
class CSimpleFunctor;

class CBackgroundExecutor {
public:
    CBackgroundExecutor();
    // Lets every task posted before this point run to completion, then ends the worker; returns
    // when the worker thread has ended.
    ~CBackgroundExecutor();
    CBackgroundExecutor(const CBackgroundExecutor&) = delete;
    CBackgroundExecutor& operator=(const CBackgroundExecutor&) = delete;

    // The process-wide executor, made on first use. Its worker ends, after running every task
    // still queued, when the application object is destroyed (or at exit without one).
    static CBackgroundExecutor& Instance();

    // Any thread; returns at once. The same task may be posted again while it is queued or
    // running and then runs once per posting. It must stay alive until it has run.
    void Execute(CSimpleFunctor& task);

private:
    std::unique_ptr<CBackgroundExecutorThread> m_thread;
};
