#pragma once
// The monitor's poll (PollTask): identifies the device, reads every parameter of its
// monitor-side model in as few requests as the register mapping allows, then the coils, the
// status registers and, on devices that have them, the discrete inputs. The result replaces
// the snapshot that the monitor window and korva-cli monitor show.
//
// A poll never reports an error: a failure, an unknown device ("unknowndev") or a stop all end
// it quietly, and the snapshot says what happened. The caller repeats the poll, 500 ms after
// each one has ended (kPollPause).

#include "app/MonitorSnapshot.h"

#include <atomic>
#include <chrono>
#include <mutex>

class CModbusInterface;

class CMonitorPoll {
public:
    static constexpr std::chrono::milliseconds kPollPause{500};

    // The client is borrowed; it must outlive every poll.
    explicit CMonitorPoll(CModbusInterface& client);
    CMonitorPoll(const CMonitorPoll&) = delete;
    CMonitorPoll& operator=(const CMonitorPoll&) = delete;

    // One poll, on the calling thread (the executor's worker in the program). Only one poll
    // may run at a time.
    void PollTask();

    // Any thread: the running poll ends at its next step, or at once when it waits for an
    // answer. A poll ended this way leaves the state as it was.
    void Stop();
    bool IsStopped() const { return m_stop.load(); }

    // Any thread: the state after the last poll that ended.
    MonitorSnapshot GetSnapshot() const;

private:
    // Fills `next` from the device; throws CException on any failure or stop.
    void ReadDevice(MonitorSnapshot& next);
    void AbortIfStopped() const;

    CModbusInterface& m_client;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_guard;
    MonitorSnapshot m_snapshot;
};
