// ctest-label: integration
// korva-devsim's "Ethernet (Direct)" side as the client meets it on loopback: several devices
// behind one port, each answering by its own node address, and each fault it injects there.

#include "DevsimProcess.h"
#include "ModbusTestSupport.h"
#include "TestProfile.h"

#include "connection/ComSettings.h"
#include "modbus/CDirectNetwork.h"
#include "modbus/CModbusInterface.h"
#include "modbus/DirectAnswer.h"

#include <gtest/gtest.h>

#include <functional>

using namespace modbus_test;
using Node = ComSettings::NodeAddress;

namespace {

const Node kPc{0x02, 0x00, 0x00, 0x00, 0x00, 0x0A};
const Node kEveryDevice{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const Node kFirst{0x02, 0x4B, 0x56, 0x00, 0x01, 0xFF};
const Node kSecond{0x02, 0x4B, 0x56, 0x00, 0x02, 0x00}; // the node after kFirst

class DevsimDirect : public ::testing::Test {
protected:
    void Open(DevsimProcess& devsim, const Node& target)
    {
        const QString port = devsim.Endpoint(QStringLiteral("direct")).section(u':', -1);
        ASSERT_FALSE(port.isEmpty()) << devsim.Output().toStdString();
        ComSettings settings;
        settings.Mode = ComSettings::ModeDirect;
        settings.OwnNode = kPc;
        settings.TargetNode = target;
        client.Close();
        client.SetComSettings(settings);
        client.SetDirectNetwork(CDirectNetwork::Loopback(kPc, static_cast<std::uint16_t>(port.toUInt())));
        client.Open();
    }

    std::uint16_t ReadOne(std::uint16_t address)
    {
        std::uint16_t value = 0;
        client.ReadHoldingRegisters(address, 1, std::span(&value, 1));
        return value;
    }

    TestProfile profile;
    CModbusInterface client;
};

} // namespace

// Each device answers frames for its own node or for every device, and keeps its own registers.
TEST_F(DevsimDirect, EachDeviceAnswersByItsNodeAndKeepsItsOwnRegisters)
{
    DevsimProcess devsim({"--direct", "127.0.0.1:0", "--devices", "2", "--mac", "02:4b:56:00:01:ff", "--code", "6014"});
    EXPECT_EQ(devsim.Endpoint(QStringLiteral("node")), QStringLiteral("02:4b:56:00:01:ff"));

    Open(devsim, kSecond);
    const std::uint16_t one[] = {1};
    client.WriteMultipleRegisters(1000, 1, one);
    EXPECT_EQ(ReadOne(1000), 1);
    EXPECT_EQ(ReadOne(9600), 6014);
    Open(devsim, kFirst);
    EXPECT_EQ(ReadOne(1000), 0);

    Open(devsim, kEveryDevice);
    std::vector<DirectAnswer> answers;
    client.ReadHoldingRegistersFromAll(1000, 1, 64, answers);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].senderNode, kFirst);
    EXPECT_EQ(answers[0].values, std::vector<std::uint16_t>{0});
    EXPECT_EQ(answers[1].senderNode, kSecond);
    EXPECT_EQ(answers[1].values, std::vector<std::uint16_t>{1});

    // A node that no device has: silence.
    Open(devsim, Node{0x02, 0x4B, 0x56, 0x00, 0x09, 0x09});
    answers.clear();
    client.ReadHoldingRegistersFromAll(1000, 1, 64, answers);
    EXPECT_TRUE(answers.empty());
}

// Each fault hits the first request only: the first attempt fails as the fault makes it, the
// retry succeeds.
TEST_F(DevsimDirect, InjectedFaultsReachTheClientAsTheirErrors)
{
    struct Row {
        const char* fault;
        QStringList failures;
    };
    const std::vector<Row> rows = {
        {"silence@1", {"Timeout\n"}},
        {"delay:1500@1", {"Timeout\n"}},
        {"otherpc@1", {"Timeout\n"}},
        {"oversize@1", {"Timeout\n"}},
        {"txid@1", {"Invalid transaction\n"}},
        {"exception:2@1", {"Exception 2\n"}},
        {"short@1", {"Invalid response\n"}},
        {"garbage@1", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fault);
        DevsimProcess devsim({"--direct", "127.0.0.1:0", "--code", "6001", "--fault", row.fault});
        Open(devsim, kEveryDevice);
        TraceRecorder trace;
        std::uint16_t value = 0;
        EXPECT_EQ(ErrorOf([&] { value = ReadOne(9600); }), QStringLiteral("(no error)"));
        EXPECT_EQ(value, 6001);
        EXPECT_EQ(trace.Failures(), row.failures);
    }
}

TEST_F(DevsimDirect, TheDirectOptionsAreCheckedAndDocumented)
{
    const QString program = QStringLiteral(KORVA_PROGRAM_DIR "/korva-devsim");
    ChildProcess help(program, {"--help"});
    EXPECT_EQ(help.WaitForExit(), 0);
    const QString text = help.Output();
    for (const char* option : {"--direct", "--mac", "--devices", "otherpc", "oversize"})
        EXPECT_TRUE(text.contains(QLatin1String(option))) << option;

    for (const QStringList& wrong : {QStringList{"--direct", "127.0.0.1:0", "--mac", "02:4b:56:00:01"},
                                     QStringList{"--direct", "127.0.0.1:0", "--devices", "0"},
                                     QStringList{"--direct", "nowhere:0"}}) {
        ChildProcess devsim(program, wrong);
        const int code = devsim.WaitForExit();
        EXPECT_NE(code, 0) << wrong.join(u' ').toStdString();
        EXPECT_NE(code, -1) << "it did not end by itself";
        EXPECT_TRUE(devsim.Output().contains(QLatin1String("korva-devsim: "))) << devsim.Output().toStdString();
    }
}
