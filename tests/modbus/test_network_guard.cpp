// ctest-label: integration
// With KORVA_LOOPBACK_ONLY=1 (always set for tests) a connect or datagram send to an address
// outside loopback is refused before anything leaves the process; loopback works as usual.

#include "modbus/CFileDescriptor.h"
#include "modbus/CNetworkGuard.h"
#include "modbus/CPrivateException.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <cstdlib>

namespace {

sockaddr_in Ipv4(const char* address, std::uint16_t port)
{
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_port = htons(port);
    inet_pton(AF_INET, address, &in.sin_addr);
    return in;
}

// The documentation range: never a real host, and refused before it could be tried.
constexpr const char* kOutside = "192.0.2.1";

class NetworkGuard : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CNetworkGuard::LoopbackOnly()) << "the test runner must set KORVA_LOOPBACK_ONLY=1"; }
};

TEST_F(NetworkGuard, RefusesAConnectOutsideLoopbackBeforeTrying)
{
    CFileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_in outside = Ipv4(kOutside, 502);
    errno = 0;
    EXPECT_THROW(CNetworkGuard::Connect(socket.Get(), reinterpret_cast<const sockaddr*>(&outside), sizeof outside),
                 CPrivateException);
    EXPECT_EQ(errno, 0) << "the system call must not have been made";
    // The socket was never used: it can still connect elsewhere, so no attempt is pending.
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ASSERT_EQ(::getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&local), &length), 0);
    EXPECT_EQ(local.sin_port, 0) << "a connect attempt would have bound a local port";
}

TEST_F(NetworkGuard, RefusesDatagramsOutsideLoopbackAndLetsLoopbackThrough)
{
    CFileDescriptor receiver(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    sockaddr_in bound = Ipv4("127.0.0.1", 0);
    ASSERT_EQ(::bind(receiver.Get(), reinterpret_cast<sockaddr*>(&bound), sizeof bound), 0);
    socklen_t length = sizeof bound;
    ASSERT_EQ(::getsockname(receiver.Get(), reinterpret_cast<sockaddr*>(&bound), &length), 0);

    CFileDescriptor sender(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    const std::array<std::uint8_t, 3> payload{1, 2, 3};
    for (const char* address : {kOutside, "255.255.255.255"}) {
        const sockaddr_in outside = Ipv4(address, 502);
        EXPECT_THROW(CNetworkGuard::SendTo(sender.Get(), payload, 0, reinterpret_cast<const sockaddr*>(&outside), sizeof outside),
                     CPrivateException) << address;
        msghdr message{};
        message.msg_name = const_cast<sockaddr_in*>(&outside);
        message.msg_namelen = sizeof outside;
        EXPECT_THROW(CNetworkGuard::SendMessage(sender.Get(), &message, 0), CPrivateException) << address;
    }

    EXPECT_EQ(CNetworkGuard::SendTo(sender.Get(), payload, 0, reinterpret_cast<const sockaddr*>(&bound), sizeof bound), 3);
    std::array<std::uint8_t, 8> received{};
    EXPECT_EQ(::recv(receiver.Get(), received.data(), received.size(), 0), 3);
}

TEST_F(NetworkGuard, KnowsWhatLoopbackIs)
{
    struct Case { const char* address; bool loopback; };
    for (const Case c : {Case{"127.0.0.1", true}, Case{"127.255.0.9", true}, Case{"128.0.0.1", false},
                         Case{"0.0.0.0", false}, Case{kOutside, false}}) {
        const sockaddr_in in = Ipv4(c.address, 1);
        EXPECT_EQ(CNetworkGuard::IsLoopback(reinterpret_cast<const sockaddr*>(&in), sizeof in), c.loopback) << c.address;
    }
    sockaddr_in6 in6{};
    in6.sin6_family = AF_INET6;
    in6.sin6_addr = in6addr_loopback;
    EXPECT_TRUE(CNetworkGuard::IsLoopback(reinterpret_cast<const sockaddr*>(&in6), sizeof in6));
    inet_pton(AF_INET6, "::ffff:127.0.0.1", &in6.sin6_addr);
    EXPECT_TRUE(CNetworkGuard::IsLoopback(reinterpret_cast<const sockaddr*>(&in6), sizeof in6));
    inet_pton(AF_INET6, "2001:db8::1", &in6.sin6_addr);
    EXPECT_FALSE(CNetworkGuard::IsLoopback(reinterpret_cast<const sockaddr*>(&in6), sizeof in6));
    const sockaddr_in truncated = Ipv4("127.0.0.1", 1);
    EXPECT_FALSE(CNetworkGuard::IsLoopback(reinterpret_cast<const sockaddr*>(&truncated), 4));
}

} // namespace
