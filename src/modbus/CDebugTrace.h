#pragma once
// The diagnostic trace: one line per event ("ReadHoldingRegisters: adrs=9600 size=1\n").
// Lines go to stderr when KORVA_TRACE=1 and to every registered listener; nothing is written
// to a file.

#include <QString>

#include <functional>

class CDebugTrace {
public:
    using Listener = std::function<void(const QString& line)>;

    static void Write(const QString& line);

    // Listeners are called on the writing thread, in the order they were added.
    static int AddListener(Listener listener);
    static void RemoveListener(int id);
};

// Registers a listener for the length of a scope (tests capture trace lines this way).
class CTraceListenerScope {
public:
    explicit CTraceListenerScope(CDebugTrace::Listener listener)
        : m_id(CDebugTrace::AddListener(std::move(listener)))
    {
    }
    ~CTraceListenerScope() { CDebugTrace::RemoveListener(m_id); }
    CTraceListenerScope(const CTraceListenerScope&) = delete;
    CTraceListenerScope& operator=(const CTraceListenerScope&) = delete;

private:
    int m_id;
};
