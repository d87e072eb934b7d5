// ctest-label: unit
// Timed waits, recursion, abandonment and non-owner release of the synchronisation objects,
// across real threads.

#include "modbus/CAccessRight.h"
#include "modbus/CMutexObject.h"
#include "modbus/CSemaphoreObject.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Runs `body` on another thread and waits for it.
template <typename Body>
auto OnOtherThread(Body body)
{
    return std::async(std::launch::async, body).get();
}

TEST(MutexObject, ZeroWaitFailsWhileAnotherThreadOwnsIt)
{
    CMutexObject mutex;
    EXPECT_TRUE(mutex.Lock(0ms)) << "free";
    mutex.Unlock();

    std::promise<void> locked;
    std::promise<void> release;
    std::thread owner([&] {
        mutex.Lock(CSyncObjectInterface::kInfinite);
        locked.set_value();
        release.get_future().wait();
        mutex.Unlock();
    });
    locked.get_future().wait();
    EXPECT_FALSE(mutex.Lock(0ms));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(mutex.Lock(200ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 190ms);
    release.set_value();
    owner.join();
    EXPECT_TRUE(mutex.Lock(0ms));
    mutex.Unlock();
}

TEST(MutexObject, IsRecursiveForItsOwner)
{
    CMutexObject mutex;
    ASSERT_TRUE(mutex.Lock(0ms));
    ASSERT_TRUE(mutex.Lock(0ms));
    mutex.Unlock();
    EXPECT_FALSE(OnOtherThread([&] { return mutex.Lock(0ms); })) << "still held once";
    mutex.Unlock();
    EXPECT_TRUE(OnOtherThread([&] {
        const bool got = mutex.Lock(0ms);
        mutex.Unlock();
        return got;
    }));
}

TEST(MutexObject, UnlockByANonOwnerDoesNothing)
{
    CMutexObject mutex;
    ASSERT_TRUE(mutex.Lock(0ms));
    OnOtherThread([&] { mutex.Unlock(); });
    EXPECT_FALSE(OnOtherThread([&] { return mutex.Lock(0ms); }));
    mutex.Unlock();
}

TEST(MutexObject, AnAbandonedMutexCountsAsAcquired)
{
    CMutexObject mutex;
    // The helper thread ends while it still owns the mutex.
    ASSERT_TRUE(OnOtherThread([&] { return mutex.Lock(0ms); }));
    EXPECT_TRUE(mutex.Lock(0ms));
    mutex.Unlock();
}

TEST(MutexObject, AnAbandonedMutexWakesAWaiter)
{
    CMutexObject mutex;
    std::promise<void> locked;
    std::thread owner([&] {
        mutex.Lock(CSyncObjectInterface::kInfinite);
        locked.set_value();
        std::this_thread::sleep_for(50ms);
        // Ends without Unlock.
    });
    locked.get_future().wait();
    EXPECT_TRUE(mutex.Lock(5000ms));
    owner.join();
    mutex.Unlock();
}

// A thread-local object constructed before the thread's first lock is destroyed after the
// thread's own bookkeeping; locking then (as a static does at program exit) must stay safe.
TEST(MutexObject, CanBeUsedWhileItsThreadIsEnding)
{
    CMutexObject mutex;
    struct LateUser {
        CMutexObject* mutex = nullptr;
        ~LateUser()
        {
            if (mutex && mutex->Lock(0ms))
                mutex->Unlock();
        }
    };
    std::thread([&] {
        thread_local LateUser late;
        late.mutex = &mutex;
        ASSERT_TRUE(mutex.Lock(0ms));
        mutex.Unlock();
    }).join();
    EXPECT_TRUE(mutex.Lock(0ms));
    mutex.Unlock();
}

TEST(SemaphoreObject, TimesOutAtZeroAndAcquiresOncePerUnlock)
{
    CSemaphoreObject semaphore(0, 2147483647);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(semaphore.Lock(1000ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 990ms);

    std::thread raiser([&] {
        std::this_thread::sleep_for(50ms);
        semaphore.Unlock();
    });
    EXPECT_TRUE(semaphore.Lock(1000ms));
    raiser.join();
    EXPECT_FALSE(semaphore.Lock(0ms));
}

TEST(SemaphoreObject, NeverCountsBeyondItsMaximum)
{
    CSemaphoreObject semaphore(1, 1);
    semaphore.Unlock();
    EXPECT_TRUE(semaphore.Lock(0ms));
    EXPECT_FALSE(semaphore.Lock(0ms));
}

TEST(AccessRight, UnlocksWhenTheScopeIsLeftByAnException)
{
    CMutexObject mutex;
    try {
        CAccessRight guard(mutex);
        EXPECT_TRUE(guard.IsLocked());
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(OnOtherThread([&] {
        CAccessRight guard(mutex, 0ms);
        return guard.IsLocked();
    }));
}

TEST(MutexObject, SerialisesManyThreads)
{
    CMutexObject mutex;
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 1000; ++i) {
                CAccessRight guard(mutex);
                ++counter;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 4000);
}

} // namespace
