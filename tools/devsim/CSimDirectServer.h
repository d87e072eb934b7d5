#pragma once
// "Ethernet (Direct)", device side: one UDP socket on which one or more simulated devices,
// each with its own node (MAC) address, hear the PC's broadcasts. A device answers a frame
// whose destination node is its own address, or all ones, with a datagram to the socket that
// sent it, carrying its address as source and the sender's as destination.
//
// The framing here is the simulator's own code, apart from the client's, so that a mistake in
// one shows against the other.

#include "modbus/CFileDescriptor.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <thread>
#include <vector>

#include <netinet/in.h>

class CFaultPlan;
class CSimDevice;

class CSimDirectServer {
public:
    using Log = std::function<void(const QString&)>;
    using Node = std::array<std::uint8_t, 6>;

    struct Member {
        Node node;
        CSimDevice* device;
    };

    // Binds HOST:PORT (0.0.0.0 hears broadcasts; port 0 lets the system choose) and serves
    // `members` in their order. Throws std::runtime_error.
    CSimDirectServer(std::vector<Member> members, CFaultPlan& faults, const QString& host, std::uint16_t port,
                     Log log, bool verbose);
    // Stops and joins the thread.
    ~CSimDirectServer();
    CSimDirectServer(const CSimDirectServer&) = delete;
    CSimDirectServer& operator=(const CSimDirectServer&) = delete;

    // The address actually bound, as HOST:PORT.
    QString Address() const { return m_address; }

    // "02:00:00:00:00:01" as a node address; false when the text is not one.
    static bool ParseNode(const QString& text, Node& node);
    static QString NodeText(const Node& node);
    // The address `steps` past `node`, counting the six bytes as one number.
    static Node NextNode(Node node, unsigned steps);

private:
    void Run();
    void Serve(std::span<const std::uint8_t> frame, const sockaddr_in& sender);
    void SendTo(std::span<const std::uint8_t> datagram, const sockaddr_in& sender);
    // Waits `time` unless the server stops first; false when it stops.
    bool Pause(std::chrono::milliseconds time) const;

    std::vector<Member> m_members;
    CFaultPlan& m_faults;
    Log m_log;
    bool m_verbose;
    CFileDescriptor m_socket;
    CFileDescriptor m_stop;
    QString m_address;
    std::thread m_thread;
};
