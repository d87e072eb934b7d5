#pragma once
// The one gate every socket connect and send passes. With KORVA_LOOPBACK_ONLY=1 in the
// environment (tests and CI always set it) a destination outside loopback is refused with an
// error before anything leaves the process.

#include <sys/socket.h>
#include <sys/types.h>

#include <cstdint>
#include <span>

class CNetworkGuard {
public:
    static bool LoopbackOnly();
    static bool IsLoopback(const sockaddr* address, socklen_t length);
    // Throws CPrivateException when the guard is on and `address` is not loopback.
    static void CheckDestination(const sockaddr* address, socklen_t length);

    // ::connect, ::sendto and ::sendmsg behind the check; results and errno as the originals.
    static int Connect(int fd, const sockaddr* address, socklen_t length);
    static ssize_t SendTo(int fd, std::span<const std::uint8_t> data, int flags,
                          const sockaddr* address, socklen_t length);
    static ssize_t SendMessage(int fd, const msghdr* message, int flags);
};
