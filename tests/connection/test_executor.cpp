// ctest-label: unit
// The background executor and the UI proxy with real threads: each test records an event log
// and compares it with the order the executor promises.

#include "connection/CBackgroundExecutor.h"
#include "connection/CObserverProxyUI.h"
#include "connection/CObserver.h"
#include "connection/CSimpleFunctor.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

class EventLog {
public:
    void Add(std::string entry)
    {
        std::lock_guard lock(m_guard);
        m_entries.push_back(std::move(entry));
    }
    std::vector<std::string> Entries()
    {
        std::lock_guard lock(m_guard);
        return m_entries;
    }

private:
    std::mutex m_guard;
    std::vector<std::string> m_entries;
};

// A one-way gate that a task can wait on.
class Gate {
public:
    void Open()
    {
        {
            std::lock_guard lock(m_guard);
            m_open = true;
        }
        m_opened.notify_all();
    }
    void Wait()
    {
        std::unique_lock lock(m_guard);
        m_opened.wait(lock, [this] { return m_open; });
    }

private:
    std::mutex m_guard;
    std::condition_variable m_opened;
    bool m_open = false;
};

// One job with a name: its body logs "run <name>", its observer logs "notify <name>".
class Job : public CObserver {
public:
    Job(EventLog& log, std::string name) : m_log(log), m_name(std::move(name))
    {
        task.AddObserver(*this);
    }
    void Update(void* source) override
    {
        m_log.Add((source == &task ? "notify " : "notify ? ") + m_name);
    }

    CSimpleFunctor task{this, &Job::Work};
    Gate* holdUntil = nullptr;
    bool fail = false;

private:
    void Work()
    {
        if (holdUntil)
            holdUntil->Wait();
        m_log.Add("run " + m_name);
        if (fail)
            throw std::runtime_error("task failed");
    }

    EventLog& m_log;
    std::string m_name;
};

using Log = std::vector<std::string>;

} // namespace

TEST(BackgroundExecutor, RunsTasksInPostingOrderAndNotifiesBeforeTheNextStarts)
{
    EventLog log;
    Gate gate;
    Job first(log, "A");
    Job second(log, "B");
    first.holdUntil = &gate;
    {
        CBackgroundExecutor executor;
        executor.Execute(first.task);
        executor.Execute(second.task);
        executor.Execute(first.task);
        gate.Open();
    }
    EXPECT_EQ(log.Entries(), (Log{"run A", "notify A", "run B", "notify B", "run A", "notify A"}));
}

TEST(BackgroundExecutor, ShutdownRunsEveryQueuedTaskBeforeReturning)
{
    EventLog log;
    Gate gate;
    Job blocker(log, "blocker");
    blocker.holdUntil = &gate;
    std::vector<std::unique_ptr<Job>> queued;
    for (int i = 0; i < 5; ++i)
        queued.push_back(std::make_unique<Job>(log, std::to_string(i)));

    auto executor = std::make_unique<CBackgroundExecutor>();
    executor->Execute(blocker.task);
    for (auto& job : queued)
        executor->Execute(job->task);
    // The destructor runs while everything is still queued behind the blocker.
    std::thread opener([&gate] {
        QThread::msleep(50);
        gate.Open();
    });
    executor.reset();
    opener.join();

    const Log entries = log.Entries();
    ASSERT_EQ(entries.size(), 12u);
    EXPECT_EQ(entries.front(), "run blocker");
    EXPECT_EQ(entries.back(), "notify 4");
}

TEST(BackgroundExecutor, ATaskThatThrowsLeavesTheWorkerUsable)
{
    EventLog log;
    Job failing(log, "failing");
    failing.fail = true;
    Job next(log, "next");
    {
        CBackgroundExecutor executor;
        executor.Execute(failing.task);
        executor.Execute(next.task);
    }
    EXPECT_EQ(log.Entries(), (Log{"run failing", "notify failing", "run next", "notify next"}));
}

TEST(BackgroundExecutor, PostsFromSeveralThreadsEachRunOnceInTheirOrder)
{
    constexpr int kThreads = 4;
    constexpr int kPerThread = 50;
    EventLog log;
    std::vector<std::unique_ptr<Job>> jobs;
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kPerThread; ++i)
            jobs.push_back(std::make_unique<Job>(log, std::to_string(t) + "." + std::to_string(i)));
    {
        CBackgroundExecutor executor;
        std::vector<std::thread> posters;
        for (int t = 0; t < kThreads; ++t)
            posters.emplace_back([&, t] {
                for (int i = 0; i < kPerThread; ++i)
                    executor.Execute(jobs[t * kPerThread + i]->task);
            });
        for (auto& poster : posters)
            poster.join();
    }
    std::vector<int> next(kThreads, 0);
    int runs = 0;
    for (const std::string& entry : log.Entries()) {
        if (entry.rfind("run ", 0) != 0)
            continue;
        ++runs;
        const auto dot = entry.find('.');
        const int thread = std::stoi(entry.substr(4, dot - 4));
        EXPECT_EQ(std::stoi(entry.substr(dot + 1)), next[thread]++) << entry;
    }
    EXPECT_EQ(runs, kThreads * kPerThread);
}

TEST(BackgroundExecutor, TheProcessExecutorIsOneObject)
{
    EXPECT_EQ(&CBackgroundExecutor::Instance(), &CBackgroundExecutor::Instance());
}

namespace {

// The wiring every window uses: a proxy made on the UI thread observes the tasks, and the
// window observes the proxy. Each job keeps its own results, which the window reads only in
// its Update, without a lock, as the windows of the program do.
class Window : public CObserver {
public:
    struct JobData {
        void Work()
        {
            thread = QThread::currentThread();
            done = true;
        }
        QThread* thread = nullptr;
        bool done = false;
    };

    explicit Window(int jobs)
    {
        m_proxy.Create();
        m_proxy.AddObserver(*this);
        for (int i = 0; i < jobs; ++i) {
            m_jobs.push_back(std::make_unique<JobData>());
            m_tasks.push_back(std::make_unique<CSimpleFunctor>(m_jobs.back().get(), &JobData::Work));
            m_tasks.back()->AddObserver(m_proxy);
        }
    }

    void Update(void* source) override
    {
        for (std::size_t i = 0; i < m_tasks.size(); ++i) {
            if (m_tasks[i].get() != source)
                continue;
            updates.push_back(static_cast<int>(i));
            updateThreads.push_back(QThread::currentThread());
            workDoneAtUpdate.push_back(m_jobs[i]->done);
            workThreads.push_back(m_jobs[i]->thread);
        }
    }

    CSimpleFunctor& Task(int i) { return *m_tasks[i]; }

    std::vector<int> updates;
    std::vector<QThread*> updateThreads;
    std::vector<bool> workDoneAtUpdate;
    std::vector<QThread*> workThreads;

private:
    CObserverProxyUI m_proxy;
    std::vector<std::unique_ptr<JobData>> m_jobs;
    std::vector<std::unique_ptr<CSimpleFunctor>> m_tasks;
};

} // namespace

TEST(ObserverProxyUI, DeliversOnTheCreatingThreadInPostingOrder)
{
    constexpr int kJobs = 20;
    // The window outlives the executor: a task is still inside its notification when the
    // window's Update has already run, so the worker must have ended before the window goes.
    Window window(kJobs);
    CBackgroundExecutor executor;
    for (int i = 0; i < kJobs; ++i)
        executor.Execute(window.Task(i));

    ASSERT_TRUE(QTest::qWaitFor([&] { return window.updates.size() == kJobs; }, 5000));
    QThread* const uiThread = QCoreApplication::instance()->thread();
    for (int i = 0; i < kJobs; ++i) {
        EXPECT_EQ(window.updates[i], i);
        EXPECT_EQ(window.updateThreads[i], uiThread);
        EXPECT_TRUE(window.workDoneAtUpdate[i]);
        EXPECT_NE(window.workThreads[i], uiThread);
    }
}

TEST(ObserverProxyUI, NoticesForADestroyedProxyAreDropped)
{
    struct Counter : CObserver {
        void Update(void*) override { ++updates; }
        int updates = 0;
    } counter;
    CObservable notifier;
    {
        CObserverProxyUI proxy;
        proxy.Create();
        proxy.AddObserver(counter);
        notifier.AddObserver(proxy);
        std::thread([&notifier] { notifier.Notify(); }).join();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.updates, 0);
}
