#pragma once
// Misbehaviour on purpose, so that every path of a Modbus client can be driven into its
// failures. Each fault names what goes wrong and which requests it hits; requests are counted
// from 1 across the whole process, over every transport.
//
//   KIND[:VALUE][@N | %N]
//     silence          no answer at all
//     delay:MS         the answer comes MS milliseconds late
//     txid             the answer carries the previous transaction identifier (TCP)
//     exception:CODE   an exception answer with CODE instead of the data
//     short            the answer's last byte is missing (its framing says so)
//     badcrc           the answer's CRC is wrong (RTU)
//     split[:MS]       the answer goes out in pieces, MS milliseconds apart (default 20)
//     close            the connection is closed instead of answering (TCP)
//     garbage          three stray bytes come before the answer (Direct: a datagram of them)
//     otherpc          the answer is addressed to another PC's node (Direct)
//     oversize         the answer carries 16 bytes more than its data (Direct)
//   @N  only the N-th request;  %N  every N-th request;  neither: every request.

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

class CFaultPlan {
public:
    enum class Kind { Silence, Delay, TransactionId, Exception, Short, BadCrc, Split, Close, Garbage, OtherPc, Oversize };

    struct Fault {
        Kind kind;
        std::uint32_t value = 0;  // milliseconds or exception code
        std::uint64_t number = 0; // @N: the one request; 0 when not limited
        std::uint64_t every = 0;  // %N: every N-th request; 0 when not limited
    };

    // What happens to one answer; several faults may meet in it.
    struct Effects {
        bool silence = false;
        bool close = false;
        bool wrongTransactionId = false;
        bool shortAnswer = false;
        bool badCrc = false;
        bool garbage = false;
        bool otherPc = false;
        bool oversize = false;
        std::optional<std::uint8_t> exception;
        std::chrono::milliseconds delay{0};
        std::optional<std::chrono::milliseconds> split;
    };

    // Parses one fault; nullopt with `error` set when the text is not one.
    static std::optional<Fault> Parse(const QString& text, QString* error);

    void Add(const Fault& fault) { m_faults.push_back(fault); }
    bool IsEmpty() const { return m_faults.empty(); }

    // Counts a request and returns what happens to its answer. Any thread.
    Effects NextRequest();

private:
    std::vector<Fault> m_faults;
    std::atomic<std::uint64_t> m_requests{0};
};
