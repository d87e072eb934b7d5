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

// The mutexes a thread holds. Its destructor runs when the thread ends and abandons every
// mutex still held, so that waiters on other threads are not blocked for ever.
class HeldMutexes {
public:
    ~HeldMutexes()
    {
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
        t_heldMutexes.Remove(m_state);
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
    t_heldMutexes.Add(m_state);
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
    t_heldMutexes.Remove(m_state);
}
