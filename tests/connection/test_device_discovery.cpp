// ctest-label: integration
// The network side of the connect dialog's device discovery: the texts of a device row (the
// model name decoded from its registers), the device table, this PC's node address, and whole
// scans against simulated devices on loopback (an injected loopback adapter and destination).

#include "../modbus/DevsimProcess.h"
#include "../modbus/ModbusTestSupport.h"
#include "../modbus/ScriptedDirectPeer.h"
#include "TestProfile.h"

#include "connection/CDeviceDiscovery.h"
#include "connection/FindLocalNode.h"
#include "modbus/CDirectNetwork.h"
#include "modbus/CFixedAdapterSource.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <chrono>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Node = ComSettings::NodeAddress;

namespace {

const Node kPc{0x02, 0x00, 0x00, 0x00, 0x00, 0x0A};

// Registers holding `bytes` two by two, the first of a pair in the low byte, zero-filled to 16.
std::vector<std::uint16_t> TextRegisters(const QByteArray& bytes)
{
    std::vector<std::uint16_t> words(16, 0);
    for (qsizetype i = 0; i < bytes.size() && i < 32; ++i)
        words[static_cast<std::size_t>(i / 2)] |= static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[i]) << (i % 2 ? 8 : 0));
    return words;
}

NetworkAdapter Adapter(const char* name, const Node& node)
{
    NetworkAdapter adapter;
    adapter.name = name;
    adapter.node = node;
    return adapter;
}

// A UDP socket on loopback that hears the broadcasts and never answers: a network without
// devices.
class SilentNetwork {
public:
    SilentNetwork() : m_socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_socket.Get(), reinterpret_cast<sockaddr*>(&address), length);
        ::getsockname(m_socket.Get(), reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    std::uint16_t Port() const { return m_port; }

private:
    CFileDescriptor m_socket;
    std::uint16_t m_port = 0;
};

} // namespace

TEST(DeviceDiscoveryTexts, TheModelNameIsTheUtf8TextUpToItsFirstZeroByte)
{
    const QString thirtyTwo = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
    struct Row {
        const char* name;
        std::vector<std::uint16_t> registers;
        QString expected;
    };
    const std::vector<Row> rows = {
        {"first character in the low byte", {0x4B56, 0x3032, 0x0043}, QStringLiteral("VK20C")},
        {"a model text with lamp letters", TextRegisters("VK20C-4RYGB"), QStringLiteral("VK20C-4RYGB")},
        {"all 32 bytes, no zero", TextRegisters(thirtyTwo.toUtf8()), thirtyTwo},
        {"multi-byte UTF-8", TextRegisters(QStringLiteral("表示灯-R").toUtf8()), QStringLiteral("表示灯-R")},
        {"text after a zero byte is ignored", TextRegisters(QByteArray("AB\0CD", 5)), QStringLiteral("AB")},
        {"all zero", std::vector<std::uint16_t>(16, 0), QString()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CDeviceDiscovery::ModelName(row.registers), row.expected);
    }
}

TEST(DeviceDiscoveryTexts, NodeAndAddressTexts)
{
    EXPECT_EQ(CDeviceDiscovery::NodeText({0x00, 0x1B, 0xAC, 0x3D, 0x4E, 0xF0}), QStringLiteral("00:1b:ac:3d:4e:f0"));
    EXPECT_EQ(CDeviceDiscovery::AddressText({192, 168, 0, 20}), QStringLiteral("192.168.0.20"));
}

// Slots fill from the front; a device is listed once; an all-zero node is never listed (it
// equals a free slot); the 65th device finds no slot.
TEST(DeviceTable, ListsEachDeviceOnceInAtMost64Slots)
{
    CDeviceTable table;
    const Node a{0, 0, 0, 0, 0, 1};
    EXPECT_EQ(table.Add(a, {10, 0, 0, 1}), std::optional<std::size_t>(0));
    EXPECT_EQ(table.Add(a, {10, 0, 0, 9}), std::nullopt);
    EXPECT_EQ(table.Slot(0).ipv4, (std::array<std::uint8_t, 4>{10, 0, 0, 1}));
    EXPECT_EQ(table.Add(Node{}, {10, 0, 0, 2}), std::nullopt);

    for (std::uint8_t i = 2; i <= 64; ++i)
        EXPECT_EQ(table.Add(Node{0, 0, 0, 0, 0, i}, {10, 0, 0, i}), std::optional<std::size_t>(i - 1));
    EXPECT_EQ(table.Count(), 64u);
    EXPECT_EQ(table.Add(Node{0, 0, 0, 0, 1, 0}, {10, 0, 1, 0}), std::nullopt);
    EXPECT_EQ(table.Slot(63).node, (Node{0, 0, 0, 0, 0, 64}));
}

TEST(FindLocalNode, TakesTheFirstQualifyingAdapterOrLeavesTheNodeAsItWas)
{
    const Node first{0x02, 0, 0, 0, 0, 0x01};
    const Node second{0x02, 0, 0, 0, 0, 0x02};
    Node node{1, 2, 3, 4, 5, 6};
    // The first adapter has no IPv4 address: it still gives the PC its node address.
    EXPECT_TRUE(FindLocalNode(node, CFixedAdapterSource({Adapter("eth0", first), Adapter("wlan0", second)})));
    EXPECT_EQ(node, first);

    node = {1, 2, 3, 4, 5, 6};
    EXPECT_FALSE(FindLocalNode(node, CFixedAdapterSource({})));
    EXPECT_EQ(node, (Node{1, 2, 3, 4, 5, 6}));
}

class DeviceDiscovery : public ::testing::Test {
protected:
    TestProfile profile;
};

// Each scan asks for one answer more than the table holds, so three devices are listed over
// three scans, in the order they answer; a fourth scan finds nothing new and ends after its
// wait.
TEST_F(DeviceDiscovery, ScansListEveryDeviceOnceWithItsNodeAddressAndModel)
{
    modbus_test::DevsimProcess devsim({"--direct", "127.0.0.1:0", "--devices", "3", "--mac", "02:4b:56:00:01:01",
                                       "--code", "6014", "--model-text", "VK20C-4RYGB"});
    const QString port = devsim.Endpoint(QStringLiteral("direct")).section(u':', -1);
    ASSERT_FALSE(port.isEmpty()) << devsim.Output().toStdString();
    CDeviceDiscovery discovery(CDirectNetwork::Loopback(kPc, static_cast<std::uint16_t>(port.toUInt())));
    EXPECT_EQ(discovery.LocalNode(), kPc);

    const QStringList nodes = {"02:4b:56:00:01:01", "02:4b:56:00:01:02", "02:4b:56:00:01:03"};
    for (std::size_t scan = 0; scan < 3; ++scan) {
        SCOPED_TRACE(scan);
        const auto started = Clock::now();
        const auto found = discovery.Scan();
        EXPECT_LT(Clock::now() - started, 700ms) << "a scan that gets what it asks for ends at once";
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].slot, scan);
        EXPECT_EQ(found[0].nodeText, nodes[static_cast<qsizetype>(scan)]);
        EXPECT_EQ(found[0].addressText, QStringLiteral("127.0.0.1"));
        EXPECT_EQ(found[0].modelName, QStringLiteral("VK20C-4RYGB"));
        EXPECT_EQ(CDeviceDiscovery::NodeText(discovery.Devices().Slot(scan).node), found[0].nodeText);
    }

    const auto started = Clock::now();
    EXPECT_TRUE(discovery.Scan().empty());
    EXPECT_GE(Clock::now() - started, 900ms);
    EXPECT_EQ(discovery.Devices().Count(), 3u);
}

// A PC with two addresses on the network hears each device twice. A device that answers only
// one of the addresses is still listed: a device counts once towards what a scan asks for, so
// the answers heard twice cannot fill a scan before the new device's answer is read.
TEST_F(DeviceDiscovery, DevicesHeardOnTwoAddressesDoNotHideAnother)
{
    using modbus_test::ScriptedDirectPeer;
    ScriptedDirectPeer peer([&](int, const ScriptedDirectPeer::Request& request) {
        std::vector<ScriptedDirectPeer::Action> answers;
        for (std::uint8_t device = 1; device <= 4; ++device) {
            // The fourth device hears only the second address.
            if (device == 4 && request.SenderAddress() != "127.0.0.2")
                continue;
            Node node{0x02, 0x4B, 0x56, 0x00, 0x00, device};
            answers.push_back(ScriptedDirectPeer::Send{modbus_test::DirectFrame(
                request.Id(), node, request.Source(), modbus_test::RegisterAnswer(1, std::vector<std::uint16_t>(16, 0x4141)))});
        }
        return answers;
    });
    NetworkAdapter loopback;
    loopback.name = "lo";
    loopback.index = ::if_nametoindex("lo");
    loopback.node = kPc;
    for (const char* text : {"127.0.0.1", "127.0.0.2"}) {
        in_addr address{};
        ::inet_pton(AF_INET, text, &address);
        loopback.addresses.push_back(address);
    }
    CDeviceDiscovery discovery(CDirectNetwork(std::make_shared<CFixedAdapterSource>(std::vector{loopback}), peer.Address()));
    for (int scan = 0; scan < 4; ++scan) {
        SCOPED_TRACE(scan);
        EXPECT_EQ(discovery.Scan().size(), 1u);
    }
    EXPECT_EQ(discovery.Devices().Count(), 4u);
    EXPECT_EQ(discovery.Devices().Slot(3).node, (Node{0x02, 0x4B, 0x56, 0x00, 0x00, 0x04}));
}

TEST_F(DeviceDiscovery, AScanWithoutDevicesEndsSilentlyAfterItsWait)
{
    SilentNetwork network;
    CDeviceDiscovery discovery(CDirectNetwork::Loopback(kPc, network.Port()));
    const auto started = Clock::now();
    EXPECT_TRUE(discovery.Scan().empty());
    const auto took = Clock::now() - started;
    EXPECT_GE(took, 900ms);
    EXPECT_LT(took, 2500ms);
    EXPECT_EQ(discovery.Devices().Count(), 0u);
}

TEST_F(DeviceDiscovery, CancelEndsARunningScanAtOnce)
{
    SilentNetwork network;
    CDeviceDiscovery discovery(CDirectNetwork::Loopback(kPc, network.Port()));
    std::thread canceller([&] {
        std::this_thread::sleep_for(200ms);
        discovery.Cancel();
    });
    const auto started = Clock::now();
    EXPECT_TRUE(discovery.Scan().empty());
    const auto took = Clock::now() - started;
    canceller.join();
    EXPECT_LT(took, 700ms);
}

// Without a network of its own the discovery uses the process default, which is where tests
// and tools that drive windows put a loopback network.
TEST_F(DeviceDiscovery, UsesTheProcessDefaultNetworkWhenGivenNone)
{
    const Node other{0x02, 0, 0, 0, 0, 0x77};
    CDirectNetwork::SetProcessDefault(CDirectNetwork::Loopback(other, 9));
    CDeviceDiscovery discovery;
    EXPECT_EQ(discovery.LocalNode(), other);
    CDirectNetwork::SetProcessDefault(std::nullopt);
}
