// ctest-label: unit
// The observer pair: who is notified with which source, and that a subscription never outlives
// either of its two ends.

#include "connection/CObservable.h"
#include "connection/CObserver.h"
#include "connection/CSimpleFunctor.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class RecordingObserver : public CObserver {
public:
    void Update(void* source) override { sources.push_back(source); }
    std::vector<void*> sources;
};

} // namespace

TEST(Observers, NotifyPassesTheSourceOrTheObservableItself)
{
    CObservable observable;
    RecordingObserver observer;
    observable.AddObserver(observer);
    int token = 0;

    observable.Notify();
    observable.Notify(&token);

    EXPECT_EQ(observer.sources, (std::vector<void*>{&observable, &token}));
}

TEST(Observers, ObserversAreCalledInOrderAndOncePerEntry)
{
    CObservable observable;
    std::vector<int> calls;
    struct Tagged : CObserver {
        Tagged(std::vector<int>& log, int tag) : log(log), tag(tag) {}
        void Update(void*) override { log.push_back(tag); }
        std::vector<int>& log;
        int tag;
    } first(calls, 1), second(calls, 2);
    observable.AddObserver(first);
    observable.AddObserver(second);
    observable.AddObserver(first);

    observable.Notify();

    EXPECT_EQ(calls, (std::vector<int>{1, 2, 1}));
}

// Under AddressSanitizer a stale pointer left on either side shows up as a use after free.
TEST(Observers, EitherEndMayBeDestroyedFirst)
{
    auto observable = std::make_unique<CObservable>();
    auto leaving = std::make_unique<RecordingObserver>();
    RecordingObserver staying;
    observable->AddObserver(*leaving);
    observable->AddObserver(staying);
    observable->AddObserver(*leaving);

    leaving.reset();
    observable->Notify();
    EXPECT_EQ(staying.sources.size(), 1u);

    auto other = std::make_unique<CObservable>();
    other->AddObserver(staying);
    observable.reset();
    other.reset();
    // `staying` now has no subscriptions; its destructor must not touch the freed observables.
}

TEST(Observers, CopiesSubscribeToTheSameObservers)
{
    struct Target {
        void Work() { ++runs; }
        int runs = 0;
    } target;
    RecordingObserver observer;
    CSimpleFunctor task(&target, &Target::Work);
    task.AddObserver(observer);

    CSimpleFunctor copy(task);
    copy.Invoke();
    copy.Notify();
    task.Invoke();
    task.Notify();

    EXPECT_EQ(target.runs, 2);
    EXPECT_EQ(observer.sources, (std::vector<void*>{&copy, &task}));
}

TEST(Observers, AssignmentLeavesThePreviousObservers)
{
    RecordingObserver before;
    RecordingObserver after;
    CObservable source;
    source.AddObserver(after);
    CObservable target;
    target.AddObserver(before);

    target = source;
    target.Notify();

    EXPECT_TRUE(before.sources.empty());
    EXPECT_EQ(after.sources, (std::vector<void*>{&target}));
}

TEST(Observers, AnObserverMayLeaveFromItsOwnUpdate)
{
    CObservable observable;
    struct SelfRemoving : CObserver {
        void Update(void*) override { self.reset(); }
        std::unique_ptr<SelfRemoving>& self;
        explicit SelfRemoving(std::unique_ptr<SelfRemoving>& holder) : self(holder) {}
    };
    std::unique_ptr<SelfRemoving> holder;
    holder = std::make_unique<SelfRemoving>(holder);
    RecordingObserver later;
    observable.AddObserver(*holder);
    observable.AddObserver(later);

    observable.Notify();

    EXPECT_EQ(holder, nullptr);
    // The walk may skip the observer that moved into the freed slot, but never touches freed
    // memory; the next notification reaches it.
    observable.Notify();
    EXPECT_FALSE(later.sources.empty());
}
