#include "modbus/CMutexObject.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

struct CMutexObject::State {
    std::mutex guard;
    std::condition_variable freed;
    std::thread::id owner;
    unsigned depth = 0;
};

namespace {

// Set once the thread's list of held mutexes (below) is gone. The main thread's thread-locals
// are destroyed before the program's statics, and a static may still lock or unlock a mutex
// then; the flag is trivially destructible, so it can be read safely at any time.
thread_local bool t_heldMutexesGone = false;

// The mutexes a thread holds. Its destructor runs when the thread ends and abandons every
// mutex still held, so that waiters on other threads are not blocked for ever.
class HeldMutexes {
public:
    ~HeldMutexes()
    {
        t_heldMutexesGone = true;
        const auto self = std::this_thread::get_id();
        for (auto& weak : m_held) {
            if (auto state = weak.lock()) {
                std::lock_guard lock(state->guard);
                if (state->owner == self) {
                    state->owner = {};
                    state->depth = 0;
                    state->freed.notify_one();
                }
            }
        }
    }

    void Add(const std::shared_ptr<CMutexObject::State>& state) { m_held.push_back(state); }

    void Remove(const std::shared_ptr<CMutexObject::State>& state)
    {
        std::erase_if(m_held, [&](const auto& weak) {
            auto held = weak.lock();
            return !held || held == state;
        });
    }

private:
    std::vector<std::weak_ptr<CMutexObject::State>> m_held;
};

thread_local HeldMutexes t_heldMutexes;

void RememberHeld(const std::shared_ptr<CMutexObject::State>& state)
{
    if (!t_heldMutexesGone)
        t_heldMutexes.Add(state);
}

void ForgetHeld(const std::shared_ptr<CMutexObject::State>& state)
{
    if (!t_heldMutexesGone)
        t_heldMutexes.Remove(state);
}

} // namespace

CMutexObject::CMutexObject() : m_state(std::make_shared<State>()) {}

CMutexObject::~CMutexObject()
{
    bool owned = false;
    {
        std::lock_guard lock(m_state->guard);
        if (m_state->owner == std::this_thread::get_id()) {
            m_state->owner = {};
            m_state->depth = 0;
            owned = true;
        }
    }
    if (owned)
        ForgetHeld(m_state);
}

bool CMutexObject::Lock(std::chrono::milliseconds timeout)
{
    const auto self = std::this_thread::get_id();
    std::unique_lock lock(m_state->guard);
    if (m_state->owner == self) {
        ++m_state->depth;
        return true;
    }
    auto isFree = [this] { return m_state->owner == std::thread::id(); };
    if (timeout == kInfinite)
        m_state->freed.wait(lock, isFree);
    else if (!m_state->freed.wait_for(lock, timeout, isFree))
        return false;
    m_state->owner = self;
    m_state->depth = 1;
    lock.unlock();
    RememberHeld(m_state);
    return true;
}

void CMutexObject::Unlock()
{
    std::unique_lock lock(m_state->guard);
    if (m_state->owner != std::this_thread::get_id())
        return;
    if (--m_state->depth > 0)
        return;
    m_state->owner = {};
    m_state->freed.notify_one();
    lock.unlock();
    ForgetHeld(m_state);
}
