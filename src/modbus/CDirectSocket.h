#pragma once
// One datagram socket of the Direct transport: bound to one local IPv4 address (port chosen
// by the system), allowed to broadcast, and tied to its adapter.
//
// A datagram to 255.255.255.255 is routed by the kernel: a socket tied to no interface gets
// ENETUNREACH where no route covers it, and a socket bound to an address is sent out of that
// address's adapter only by a special case of the routing code. Every datagram therefore
// names its interface (IP_PKTINFO), so that each adapter's broadcast leaves through that
// adapter and no other, whatever the routes say.

#include "modbus/CFileDescriptor.h"

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

class CDirectSocket {
public:
    struct Datagram {
        std::size_t size = 0;    // the datagram's real length, even when it did not fit
        bool truncated = false;  // longer than the buffer: what was read is not the datagram
        sockaddr_in sender{};
    };

    // Not open (IsOpen false) when the socket cannot be made or bound to `address`.
    CDirectSocket(const in_addr& address, unsigned interfaceIndex);

    bool IsOpen() const { return m_socket.IsValid(); }
    int Fd() const { return m_socket.Get(); }

    // One datagram to `destination` through the adapter. The system's result is not looked
    // at: a send that fails shows as a receive that gets nothing. Throws CPrivateException
    // when the network guard refuses the destination.
    void Send(std::span<const std::uint8_t> frame, const sockaddr_in& destination) const;

    // Takes one waiting datagram into `buffer`, without waiting; nullopt when none could be read.
    std::optional<Datagram> Receive(std::span<std::uint8_t> buffer) const;

private:
    CFileDescriptor m_socket;
    in_addr m_address;
    unsigned m_interfaceIndex;
};
