#include "modbus/CDirectSocket.h"

#include "modbus/CNetworkGuard.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

CDirectSocket::CDirectSocket(const in_addr& address, unsigned interfaceIndex)
    : m_socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP)), m_address(address),
      m_interfaceIndex(interfaceIndex)
{
    if (!m_socket)
        return;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr = address;
    const int on = 1;
    if (::bind(m_socket.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0
        || ::setsockopt(m_socket.Get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0)
        m_socket.Reset();
}

void CDirectSocket::Send(std::span<const std::uint8_t> frame, const sockaddr_in& destination) const
{
    iovec data{const_cast<std::uint8_t*>(frame.data()), frame.size()};
    alignas(cmsghdr) std::uint8_t control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = const_cast<sockaddr_in*>(&destination);
    message.msg_namelen = sizeof destination;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = static_cast<int>(m_interfaceIndex);
    info.ipi_spec_dst = m_address;
    std::memcpy(CMSG_DATA(header), &info, sizeof info);

    while (CNetworkGuard::SendMessage(m_socket.Get(), &message, 0) < 0 && errno == EINTR) {
    }
}

std::optional<CDirectSocket::Datagram> CDirectSocket::Receive(std::span<std::uint8_t> buffer) const
{
    Datagram datagram;
    iovec data{buffer.data(), buffer.size()};
    msghdr message{};
    message.msg_name = &datagram.sender;
    message.msg_namelen = sizeof datagram.sender;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    // MSG_TRUNC makes the call report the datagram's real length, so that an oversized one
    // is recognised rather than taken cut short.
    ssize_t length = -1;
    do {
        length = ::recvmsg(m_socket.Get(), &message, MSG_DONTWAIT | MSG_TRUNC);
    } while (length < 0 && errno == EINTR);
    if (length < 0)
        return std::nullopt;
    datagram.size = static_cast<std::size_t>(length);
    datagram.truncated = (message.msg_flags & MSG_TRUNC) != 0 || datagram.size > buffer.size();
    return datagram;
}
