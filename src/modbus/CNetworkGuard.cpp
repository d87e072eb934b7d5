#include "modbus/CNetworkGuard.h"

#include "modbus/CPrivateException.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/un.h>

#include <cstdlib>
#include <cstring>

namespace {

QString DescribeAddress(const sockaddr* address, socklen_t length)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address->sa_family == AF_INET && length >= static_cast<socklen_t>(sizeof(sockaddr_in))) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(address);
        inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
        return QStringLiteral("%1:%2").arg(QString::fromLatin1(text)).arg(ntohs(in->sin_port));
    }
    if (address->sa_family == AF_INET6 && length >= static_cast<socklen_t>(sizeof(sockaddr_in6))) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(address);
        inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
        return QStringLiteral("[%1]:%2").arg(QString::fromLatin1(text)).arg(ntohs(in6->sin6_port));
    }
    return QStringLiteral("an address of family %1").arg(address->sa_family);
}

} // namespace

bool CNetworkGuard::LoopbackOnly()
{
    const char* value = std::getenv("KORVA_LOOPBACK_ONLY");
    return value && std::strcmp(value, "1") == 0;
}

bool CNetworkGuard::IsLoopback(const sockaddr* address, socklen_t length)
{
    if (!address)
        return false;
    switch (address->sa_family) {
    case AF_UNIX:
        return true;
    case AF_INET: {
        if (length < static_cast<socklen_t>(sizeof(sockaddr_in)))
            return false;
        const auto* in = reinterpret_cast<const sockaddr_in*>(address);
        return (ntohl(in->sin_addr.s_addr) >> 24) == 127;
    }
    case AF_INET6: {
        if (length < static_cast<socklen_t>(sizeof(sockaddr_in6)))
            return false;
        const auto& a = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
        if (IN6_IS_ADDR_LOOPBACK(&a))
            return true;
        return IN6_IS_ADDR_V4MAPPED(&a) && a.s6_addr[12] == 127;
    }
    default:
        return false;
    }
}

void CNetworkGuard::CheckDestination(const sockaddr* address, socklen_t length)
{
    if (!LoopbackOnly() || IsLoopback(address, length))
        return;
    const QString where = address ? DescribeAddress(address, length) : QStringLiteral("an unnamed destination");
    throw CPrivateException(QStringLiteral("Refused to send to %1: KORVA_LOOPBACK_ONLY=1 allows loopback "
                                           "destinations only.").arg(where));
}

int CNetworkGuard::Connect(int fd, const sockaddr* address, socklen_t length)
{
    CheckDestination(address, length);
    return ::connect(fd, address, length);
}

ssize_t CNetworkGuard::SendTo(int fd, std::span<const std::uint8_t> data, int flags,
                              const sockaddr* address, socklen_t length)
{
    // A send without a destination goes where the socket was connected, which Connect checked.
    if (address)
        CheckDestination(address, length);
    return ::sendto(fd, data.data(), data.size(), flags, address, length);
}

ssize_t CNetworkGuard::SendMessage(int fd, const msghdr* message, int flags)
{
    if (message->msg_name)
        CheckDestination(static_cast<const sockaddr*>(message->msg_name), message->msg_namelen);
    return ::sendmsg(fd, message, flags);
}
