// ctest-label: unit
// The one-shot watchdog thread: a tick or no tick, on which thread, and Start / Stop / Shutdown
// without deadlock.

#include "connection/CObserver.h"
#include "connection/CTimerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

namespace {

class TickCounter : public CObserver {
public:
    void Update(void* source) override
    {
        lastSource = source;
        thread = std::this_thread::get_id();
        if (holdFor > 0ms) {
            inside = true;
            std::this_thread::sleep_for(holdFor);
            inside = false;
        }
        ticks.fetch_add(1);
    }

    std::atomic<int> ticks{0};
    std::atomic<bool> inside{false};
    std::chrono::milliseconds holdFor{0};
    void* lastSource = nullptr;
    std::thread::id thread;
};

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

} // namespace

TEST(TimerThread, StopBeforeThePeriodEndsGivesNoTick)
{
    TickCounter counter;
    CTimerThread timer;
    timer.AddObserver(counter);

    timer.Start(200ms);
    std::this_thread::sleep_for(10ms);
    timer.Stop();
    std::this_thread::sleep_for(400ms);

    EXPECT_EQ(counter.ticks, 0);
}

TEST(TimerThread, WithoutStopExactlyOneTickComesOnTheTimerThread)
{
    TickCounter counter;
    CTimerThread timer;
    timer.AddObserver(counter);

    const auto started = std::chrono::steady_clock::now();
    timer.Start(100ms);
    ASSERT_TRUE(WaitUntil([&] { return counter.ticks == 1; }, 2s));
    const auto elapsed = std::chrono::steady_clock::now() - started;
    std::this_thread::sleep_for(300ms);

    EXPECT_EQ(counter.ticks, 1);
    EXPECT_GE(elapsed, 100ms);
    EXPECT_EQ(counter.lastSource, &timer);
    EXPECT_EQ(counter.thread, timer.GetThreadId());
    EXPECT_NE(counter.thread, std::this_thread::get_id());

    // One-shot, but it can be armed again.
    timer.Start(20ms);
    ASSERT_TRUE(WaitUntil([&] { return counter.ticks == 2; }, 2s));
}

TEST(TimerThread, StopWithoutStartReturnsAtOnce)
{
    CTimerThread timer;
    const auto started = std::chrono::steady_clock::now();
    timer.Stop();
    timer.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 50ms);
}

TEST(TimerThread, StopWaitsForATickBeingDelivered)
{
    TickCounter counter;
    counter.holdFor = 150ms;
    CTimerThread timer;
    timer.AddObserver(counter);

    timer.Start(1ms);
    ASSERT_TRUE(WaitUntil([&] { return counter.inside.load(); }, 2s));
    timer.Stop();

    // Once Stop has returned, the tick is over.
    EXPECT_FALSE(counter.inside);
    EXPECT_EQ(counter.ticks, 1);
}

TEST(TimerThread, ShutdownWhileArmedEndsAtOnceWithoutATick)
{
    TickCounter counter;
    auto timer = std::make_unique<CTimerThread>();
    timer->AddObserver(counter);
    timer->Start(5000ms);

    const auto started = std::chrono::steady_clock::now();
    std::thread([&timer] { timer->Shutdown(); }).join();
    timer.reset();

    EXPECT_LT(std::chrono::steady_clock::now() - started, 500ms);
    EXPECT_EQ(counter.ticks, 0);
}

// Periods so short that the tick races Stop: whatever the interleaving, nothing deadlocks and
// no Start yields more than one tick.
TEST(TimerThread, RapidStartStopNeitherDeadlocksNorTicksTwice)
{
    TickCounter counter;
    CTimerThread timer;
    timer.AddObserver(counter);
    constexpr int kRounds = 2000;
    for (int i = 0; i < kRounds; ++i) {
        timer.Start(std::chrono::milliseconds(i % 3));
        if (i % 5 == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        timer.Stop();
        const int ticks = counter.ticks;
        EXPECT_LE(ticks, i + 1);
    }
    const int settled = counter.ticks;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(counter.ticks, settled);
}
