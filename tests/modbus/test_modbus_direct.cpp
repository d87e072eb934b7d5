// ctest-label: integration
// The Modbus client on the "Ethernet (Direct)" transport, on loopback only: an injected
// adapter (the loopback interface posing as Ethernet) and an injected destination (a scripted
// peer on 127.0.0.1). The frames it sends byte for byte, one datagram per local address, which
// datagrams it takes as answers and which it drops, cancellation, and the broadcast read that
// collects the answers of several devices.

#include "ModbusTestSupport.h"
#include "ScriptedDirectPeer.h"
#include "TestProfile.h"

#include "connection/ComSettings.h"
#include "modbus/CDirectNetwork.h"
#include "modbus/CFixedAdapterSource.h"
#include "modbus/CModbusDirectTransport.h"
#include "modbus/CModbusInterface.h"
#include "modbus/DirectAnswer.h"

#include <gtest/gtest.h>

#include <net/if.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

using namespace std::chrono_literals;
using namespace modbus_test;
using Peer = ScriptedDirectPeer;
using Clock = std::chrono::steady_clock;

namespace {

const Node kPc{0x02, 0x00, 0x00, 0x00, 0x00, 0x0A};
const Node kOtherPc{0x02, 0x00, 0x00, 0x00, 0x00, 0x0B};
const Node kEveryDevice{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const Node kDeviceA{0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x01};
const Node kDeviceB{0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x02};
const Node kDeviceC{0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x03};

in_addr Ipv4(const char* text)
{
    in_addr address{};
    ::inet_pton(AF_INET, text, &address);
    return address;
}

// The loopback interface with the given addresses, posing as an Ethernet adapter whose
// hardware address is the PC's node.
NetworkAdapter LoopbackAdapter(std::initializer_list<const char*> addresses)
{
    NetworkAdapter adapter;
    adapter.name = "lo";
    adapter.index = ::if_nametoindex("lo");
    adapter.node = kPc;
    for (const char* address : addresses)
        adapter.addresses.push_back(Ipv4(address));
    return adapter;
}

// What a device answers to a register read: its node as source, the PC's as destination.
Bytes DeviceAnswer(const Peer::Request& request, const Node& device, const std::vector<std::uint16_t>& values)
{
    return DirectFrame(request.Id(), device, request.Source(), RegisterAnswer(1, values));
}

class ModbusDirect : public ::testing::Test {
protected:
    void OpenOn(const Peer& peer, std::vector<NetworkAdapter> adapters = {LoopbackAdapter({"127.0.0.1"})},
                const Node& target = kEveryDevice)
    {
        OpenTo(peer.Address(), std::move(adapters), target);
    }

    void OpenTo(const sockaddr_in& destination, std::vector<NetworkAdapter> adapters, const Node& target = kEveryDevice)
    {
        ComSettings settings;
        settings.Mode = ComSettings::ModeDirect;
        settings.OwnNode = kPc;
        settings.TargetNode = target;
        client.SetComSettings(settings);
        client.SetDirectNetwork(CDirectNetwork(std::make_shared<CFixedAdapterSource>(std::move(adapters)), destination));
        client.Open();
    }

    std::vector<std::uint16_t> ReadTwo()
    {
        std::vector<std::uint16_t> values(2);
        client.ReadHoldingRegisters(9617, 2, values);
        return values;
    }

    TestProfile profile;
    CModbusInterface client;
    TraceRecorder trace;
};

} // namespace

TEST_F(ModbusDirect, SendsEachRequestInTheDirectHeader)
{
    struct Row {
        const char* name;
        Node target;
        std::function<void(CModbusInterface&)> operation;
        const char* frame;
        Bytes answer; // unit identifier onwards
    };
    const std::uint16_t one[] = {1};
    const std::vector<Row> rows = {
        {"read 2 at 9617 from every device", kEveryDevice,
         [](CModbusInterface& c) { std::uint16_t v[2]; c.ReadHoldingRegisters(9617, 2, v); },
         "00 2A FF FF 00 06  02 00 00 00 00 0A  FF FF FF FF FF FF  01 03 25 91 00 02", RegisterAnswer(1, {1, 0})},
        {"write 1 to 1000 of one device", kDeviceA,
         [&](CModbusInterface& c) { c.WriteMultipleRegisters(1000, 1, one); },
         "00 2A FF FF 00 09  02 00 00 00 00 0A  00 1B 2C 3D 4E 01  01 10 03 E8 00 01 02 00 01", Hex("01 10 03 E8 00 01")},
        {"coil 7 on", kDeviceB, [](CModbusInterface& c) { c.WriteSingleCoil(7, true); },
         "00 2A FF FF 00 06  02 00 00 00 00 0A  00 1B 2C 3D 4E 02  01 05 00 07 FF 00", Hex("01 05 00 07 FF 00")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Peer peer([&](int, const Peer::Request& request) {
            return std::vector<Peer::Action>{Peer::Send{DirectFrame(request.Id(), row.target, kPc, row.answer)}};
        });
        OpenOn(peer, {LoopbackAdapter({"127.0.0.1"})}, row.target);
        CModbusDirectTransport::SetLastTransactionId(41);
        EXPECT_EQ(ErrorOf([&] { row.operation(client); }), QStringLiteral("(no error)"));
        const auto requests = peer.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(ToHex(requests[0].frame), ToHex(Hex(row.frame)));
        EXPECT_EQ(requests[0].SenderAddress(), "127.0.0.1");
        EXPECT_EQ(CModbusDirectTransport::LastTransactionId(), 42);
        client.Close();
    }
}

// One datagram per IPv4 address of every adapter; an adapter without an address sends none.
// The answer may come back on any of the sockets.
TEST_F(ModbusDirect, EveryAddressOfEveryAdapterSendsItsOwnDatagram)
{
    Peer peer([](int, const Peer::Request& request) {
        if (request.SenderAddress() != "127.0.0.2")
            return std::vector<Peer::Action>{};
        return std::vector<Peer::Action>{Peer::Send{DeviceAnswer(request, kDeviceA, {0x1234, 0x5678})}};
    });
    NetworkAdapter noAddress = LoopbackAdapter({});
    OpenOn(peer, {LoopbackAdapter({"127.0.0.1", "127.0.0.2"}), noAddress});
    EXPECT_EQ(ReadTwo(), (std::vector<std::uint16_t>{0x1234, 0x5678}));

    const auto requests = peer.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].SenderAddress(), "127.0.0.1");
    EXPECT_EQ(requests[1].SenderAddress(), "127.0.0.2");
    EXPECT_EQ(requests[0].frame, requests[1].frame);
}

// Whatever is not an answer for this PC is dropped, and the receive goes on to the next socket
// (or the next datagram of the same socket) instead of ending: the PC's own broadcast heard
// back, an answer to another PC, datagrams too short to hold an answer, and one longer than
// the answer can be. The dropped answers carry other values, so taking one would show.
TEST_F(ModbusDirect, DatagramsThatAreNoAnswerForThisPcAreDropped)
{
    auto ownBroadcast = [](const Peer::Request& r) { return r.frame; };
    auto forAnotherPc = [](const Peer::Request& r) { return DirectFrame(r.Id(), kDeviceA, kOtherPc, RegisterAnswer(1, {9, 9})); };
    auto headerOnly = [](const Peer::Request& r) { return DirectFrame(r.Id(), kDeviceA, kPc, {}); };
    auto fiveBytes = [](const Peer::Request&) { return Hex("00 01 FF FF 00"); };
    auto oversize = [](const Peer::Request& r) {
        Bytes frame = DeviceAnswer(r, kDeviceA, {9, 9});
        frame.push_back(0);
        return frame;
    };
    using Junk = std::function<Bytes(const Peer::Request&)>;
    struct Row {
        const char* name;
        std::vector<Junk> junk;
        bool answerOnTheOtherSocket;
    };
    const std::vector<Row> rows = {
        {"own broadcast, then the answer on the other socket", {ownBroadcast}, true},
        {"answer for another PC, then the answer on the other socket", {forAnotherPc}, true},
        {"a header alone, then the answer on the other socket", {headerOnly}, true},
        {"five bytes, then the answer on the other socket", {fiveBytes}, true},
        {"one byte too long, then the answer on the other socket", {oversize}, true},
        {"all of them, then the answer on the same socket", {ownBroadcast, forAnotherPc, headerOnly, fiveBytes, oversize}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Peer peer([&](int, const Peer::Request& request) {
            std::vector<Peer::Action> actions;
            const bool first = request.SenderAddress() == "127.0.0.1";
            if (first)
                for (const Junk& junk : row.junk)
                    actions.emplace_back(std::in_place_type<Peer::Send>, junk(request));
            if (first != row.answerOnTheOtherSocket) {
                // The junk is waiting before the answer comes.
                actions.emplace_back(std::in_place_type<Peer::Pause>, 50ms);
                actions.emplace_back(std::in_place_type<Peer::Send>, DeviceAnswer(request, kDeviceA, {0x1234, 0x5678}));
            }
            return actions;
        });
        OpenOn(peer, {LoopbackAdapter({"127.0.0.1", "127.0.0.2"})});
        std::vector<std::uint16_t> values;
        EXPECT_EQ(ErrorOf([&] { values = ReadTwo(); }), QStringLiteral("(no error)"));
        EXPECT_EQ(values, (std::vector<std::uint16_t>{0x1234, 0x5678}));
        EXPECT_TRUE(trace.Failures().isEmpty()) << trace.Failures().join(QString()).toStdString();
        client.Close();
    }
}

// Where only the PC's own broadcast and answers for another PC come back, each attempt waits
// its second and the read fails with the time-out error.
TEST_F(ModbusDirect, OnlyTheOwnBroadcastAndForeignAnswersMeanTimeOut)
{
    Peer peer([](int, const Peer::Request& request) {
        return std::vector<Peer::Action>{Peer::Send{request.frame},
                                         Peer::Send{DirectFrame(request.Id(), kDeviceA, kOtherPc, RegisterAnswer(1, {1, 2}))}};
    });
    OpenOn(peer);
    const auto started = Clock::now();
    EXPECT_EQ(ErrorOf([&] { ReadTwo(); }), TransactionError("ReadHoldingRegister", 9618, 2, Detail("mbio.timeout")));
    EXPECT_GE(Clock::now() - started, 2900ms);
    EXPECT_EQ(trace.Failures(), QStringList(3, QStringLiteral("Timeout\n")));
    EXPECT_EQ(peer.Requests().size(), 3u);
}

TEST_F(ModbusDirect, CancelEndsTheWaitAtOnceWithoutAnotherAttempt)
{
    Peer peer([](int, const Peer::Request&) { return std::vector<Peer::Action>{}; });
    OpenOn(peer);
    std::thread canceller([&] {
        peer.WaitForRequests(1);
        std::this_thread::sleep_for(100ms);
        client.Cancel();
    });
    const auto started = Clock::now();
    const QString error = ErrorOf([&] { ReadTwo(); });
    const auto took = Clock::now() - started;
    canceller.join();

    EXPECT_EQ(error, TransactionError("ReadHoldingRegister", 9618, 2, Detail("mbio.timeout")));
    EXPECT_LT(took, 600ms);
    EXPECT_EQ(trace.Lines(), (QStringList{"ReadHoldingRegisters: adrs=9618 size=2\n", "Cancel\n", "Timeout\n"}));
    EXPECT_EQ(peer.Requests().size(), 1u);
}

// The broadcast read collects one record per device: with wanted 1 it returns at the first;
// with more wanted than there are devices it collects for about a second. With two local
// addresses every device answers twice, and is still recorded once.
TEST_F(ModbusDirect, TheBroadcastReadCollectsTheAnswersOfEveryDevice)
{
    Peer peer([](int, const Peer::Request& request) {
        return std::vector<Peer::Action>{Peer::Send{DeviceAnswer(request, kDeviceA, {0xA1, 0xA2})},
                                         Peer::Send{DeviceAnswer(request, kDeviceB, {0xB1, 0xB2})},
                                         Peer::Send{DeviceAnswer(request, kDeviceC, {0xC1, 0xC2})}};
    });
    OpenOn(peer, {LoopbackAdapter({"127.0.0.1", "127.0.0.2"})});

    std::vector<DirectAnswer> answers;
    auto started = Clock::now();
    EXPECT_TRUE(client.ReadHoldingRegistersFromAll(9617, 2, 1, answers));
    EXPECT_LT(Clock::now() - started, 500ms);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].senderNode, kDeviceA);
    EXPECT_EQ(answers[0].values, (std::vector<std::uint16_t>{0xA1, 0xA2}));

    answers.clear();
    started = Clock::now();
    EXPECT_TRUE(client.ReadHoldingRegistersFromAll(9617, 2, 64, answers));
    const auto took = Clock::now() - started;
    EXPECT_GE(took, 900ms);
    EXPECT_LT(took, 2500ms);
    ASSERT_EQ(answers.size(), 3u);
    const std::vector<std::pair<Node, std::vector<std::uint16_t>>> expected = {
        {kDeviceA, {0xA1, 0xA2}}, {kDeviceB, {0xB1, 0xB2}}, {kDeviceC, {0xC1, 0xC2}}};
    for (std::size_t i = 0; i < answers.size(); ++i) {
        EXPECT_EQ(answers[i].senderNode, expected[i].first);
        EXPECT_EQ(answers[i].echoedNode, kPc);
        EXPECT_EQ(answers[i].values, expected[i].second);
        EXPECT_EQ(answers[i].sender.sin_family, AF_INET);
        EXPECT_EQ(answers[i].sender.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
        EXPECT_EQ(answers[i].sender.sin_port, peer.Address().sin_port);
    }
    EXPECT_EQ(peer.Requests().size(), 4u);
}

TEST_F(ModbusDirect, CancelEndsTheBroadcastReadWithWhatItHasCollected)
{
    Peer peer([](int, const Peer::Request& request) {
        return std::vector<Peer::Action>{Peer::Send{DeviceAnswer(request, kDeviceA, {1, 2})}};
    });
    OpenOn(peer);
    std::thread canceller([&] {
        peer.WaitForRequests(1);
        std::this_thread::sleep_for(200ms);
        client.Cancel();
    });
    std::vector<DirectAnswer> answers;
    const auto started = Clock::now();
    EXPECT_TRUE(client.ReadHoldingRegistersFromAll(9617, 2, 64, answers));
    const auto took = Clock::now() - started;
    canceller.join();
    EXPECT_LT(took, 700ms);
    EXPECT_EQ(answers.size(), 1u);
    EXPECT_TRUE(trace.Lines().contains(QStringLiteral("Cancel\n")));
    EXPECT_EQ(peer.Requests().size(), 1u);
}

// No adapter: nothing is sent, and the read still waits its second rather than returning at
// once (a discovery repeating scans would otherwise spin).
TEST_F(ModbusDirect, WithoutAnAdapterNothingIsSentAndTheWaitIsKept)
{
    Peer peer([](int, const Peer::Request&) { return std::vector<Peer::Action>{}; });
    OpenOn(peer, {});
    std::vector<DirectAnswer> answers;
    const auto started = Clock::now();
    EXPECT_TRUE(client.ReadHoldingRegistersFromAll(9617, 2, 1, answers));
    EXPECT_GE(Clock::now() - started, 900ms);
    EXPECT_TRUE(answers.empty());
    EXPECT_TRUE(peer.Requests().empty());
}

// The real destination is refused by the network guard before anything leaves the process.
TEST_F(ModbusDirect, TheNetworkGuardRefusesTheBroadcastDestination)
{
    ASSERT_STREQ(std::getenv("KORVA_LOOPBACK_ONLY"), "1") << "the tests run with the network guard on";
    sockaddr_in broadcast{};
    broadcast.sin_family = AF_INET;
    broadcast.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    broadcast.sin_port = htons(502);
    OpenTo(broadcast, {LoopbackAdapter({"127.0.0.1"})});
    const QString error = ErrorOf([&] { ReadTwo(); });
    EXPECT_TRUE(error.startsWith(QStringLiteral("Refused to send to 255.255.255.255:502"))) << error.toStdString();
}
