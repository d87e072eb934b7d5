// ctest-label: integration
// The Modbus client over RTU on a pseudo-terminal: the frames with their CRCs, the mode 2
// rules, the time-outs, and what it makes of corrupted, stale, cut-off or missing answers.

#include "ModbusTestSupport.h"
#include "ScriptedRtuPeer.h"
#include "TestProfile.h"

#include "connection/ComSettings.h"
#include "modbus/CMessageFormatter.h"
#include "modbus/CModbusInterface.h"
#include "modbus/CModbusRtuTransport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <functional>

using namespace std::chrono_literals;
using namespace modbus_test;
using Peer = ScriptedRtuPeer;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<Peer::Action> Answer(const Bytes& pdu)
{
    return {Peer::Send{WithCrc(pdu)}};
}

// Answers register reads with value = address, and echoes writes.
std::vector<Peer::Action> AddressValues(const Bytes& frame)
{
    const std::uint16_t address = std::uint16_t((frame[2] << 8) | frame[3]);
    const std::uint16_t count = std::uint16_t((frame[4] << 8) | frame[5]);
    if (frame[1] != 0x03)
        return Answer(Bytes(frame.begin(), frame.begin() + 6));
    std::vector<std::uint16_t> values;
    for (std::uint16_t i = 0; i < count; ++i)
        values.push_back(std::uint16_t(address + i));
    return Answer(RegisterAnswer(frame[0], values));
}

class ModbusRtu : public ::testing::Test {
protected:
    ComSettings SettingsFor(const Peer& peer, int mode = ComSettings::ModeSerial)
    {
        ComSettings settings;
        settings.Mode = mode;
        settings.Address = 1;
        settings.COMPortName = QString::fromStdString(peer.Path());
        return settings; // 38400 bit/s, 8 data bits, odd parity, one stop bit
    }

    void OpenOn(const Peer& peer, int mode = ComSettings::ModeSerial)
    {
        client.SetComSettings(SettingsFor(peer, mode));
        client.Open();
    }

    std::uint16_t ReadOne(std::uint16_t address = 9600)
    {
        std::uint16_t value = 0;
        client.ReadHoldingRegisters(address, 1, std::span(&value, 1));
        return value;
    }

    TestProfile profile;
    CModbusInterface client;
    TraceRecorder trace;
};

} // namespace

TEST_F(ModbusRtu, SendsEachRequestWithItsCrc)
{
    struct Row {
        const char* name;
        std::function<void(CModbusInterface&)> operation;
        const char* frame;
    };
    const std::vector<Row> rows = {
        {"read 10 at 0, unit 1",
         [](CModbusInterface& c) {
             std::vector<std::uint16_t> v(10);
             c.ReadHoldingRegisters(0, 10, v);
         },
         "01 03 00 00 00 0A C5 CD"},
        {"read 10 at 9600, unit 1",
         [](CModbusInterface& c) {
             std::vector<std::uint16_t> v(10);
             c.ReadHoldingRegisters(9600, 10, v);
         },
         "01 03 25 80 00 0A CF 29"},
        {"coil 7 on", [](CModbusInterface& c) { c.WriteSingleCoil(7, true); }, "01 05 00 07 FF 00 3D FB"},
        {"write 1 at 1000",
         [](CModbusInterface& c) {
             const std::uint16_t one[] = {1};
             c.WriteMultipleRegisters(1000, 1, one);
         },
         "01 10 03 E8 00 01 02 00 01 43 B8"},
    };
    Peer peer([](int, const Bytes& frame) {
        if (frame[1] == 0x05)
            return Answer(Bytes(frame.begin(), frame.end() - 2));
        return AddressValues(frame);
    });
    OpenOn(peer);
    for (const Row& row : rows)
        row.operation(client);

    const auto requests = peer.Requests();
    ASSERT_EQ(requests.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(ToHex(requests[i]), rows[i].frame) << rows[i].name;
    EXPECT_TRUE(trace.Failures().isEmpty()) << trace.Failures().join(QString()).toStdString();
}

TEST_F(ModbusRtu, ModeTwoSendsShortRequestsToUnitOne)
{
    Peer peer([](int, const Bytes& frame) { return AddressValues(frame); });
    ComSettings settings = SettingsFor(peer, ComSettings::ModeSlowSerial);
    settings.Address = 5;
    client.SetComSettings(settings);
    client.Open();

    std::vector<std::uint16_t> values(20);
    client.ReadHoldingRegisters(100, 20, values);

    QStringList requests;
    for (const Bytes& frame : peer.Requests()) {
        EXPECT_EQ(BitwiseCrc(frame), 0) << "CRC of " << ToHex(frame);
        requests << QString::fromStdString(ToHex(Bytes(frame.begin(), frame.end() - 2)));
    }
    EXPECT_EQ(requests, (QStringList{"01 03 00 64 00 08", "01 03 00 6C 00 08", "01 03 00 74 00 04"}));
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(values[i], 100 + i) << "index " << i;
    EXPECT_EQ(trace.Lines(), (QStringList{"ReadHoldingRegisters: adrs=101 size=8\n", "ReadHoldingRegisters: adrs=109 size=8\n",
                                          "ReadHoldingRegisters: adrs=117 size=4\n"}));
}

TEST_F(ModbusRtu, TimeoutsAndPausesFollowTheLineRate)
{
    // One register: a 6-byte request and a 5-byte answer, with their CRCs 15 bytes.
    EXPECT_EQ(CModbusRtuTransport::ResponseTimeout(1000ms, 15, 38400), 1006ms);
    EXPECT_EQ(CModbusRtuTransport::ResponseTimeout(1000ms, 15, 1200), 1212ms);
    EXPECT_EQ(CModbusRtuTransport::PauseAfterResponse(38400), 4ms);
    EXPECT_EQ(CModbusRtuTransport::PauseAfterResponse(9600), 13ms);

    // Mode 2 times the answer for 1200 bit/s whatever the line runs at.
    Peer peer([](int, const Bytes&) { return std::vector<Peer::Action>{}; });
    ComSettings settings = SettingsFor(peer);
    settings.Baudrate = 3; // 9600 bit/s
    CModbusRtuTransport slow(settings, true);
    slow.SetResponseTimeout(1000ms, 15);
    EXPECT_EQ(slow.Port().GetTimeouts().readTotal, 1212ms);
}

TEST_F(ModbusRtu, ASilentDeviceTimesOutAfterTheComputedTime)
{
    Peer peer([](int, const Bytes&) { return std::vector<Peer::Action>{}; });
    OpenOn(peer);
    const auto started = Clock::now();
    EXPECT_EQ(ErrorOf([&] { ReadOne(); }), TransactionError("ReadHoldingRegister", 9601, 1, Detail("mbio.timeout")));
    const auto elapsed = Clock::now() - started;
    EXPECT_GE(elapsed, 3 * 1006ms);
    EXPECT_LT(elapsed, 3 * 1006ms + 400ms);
    EXPECT_EQ(trace.Failures().join(QString()), Repeat(QStringLiteral("Timeout\n"), 3));
}

// Every row answers a read of one register at 9600 badly, on every attempt or on the first.
TEST_F(ModbusRtu, BadAnswersFailTheAttemptWithTheirOwnError)
{
    const Bytes good = WithCrc(Hex("01 03 02 12 34"));
    struct Row {
        const char* name;
        bool everyAttempt;
        Bytes bad;
        QString failureLine;
        QString detail;
        std::chrono::milliseconds limit;
    };
    Bytes corrupted = good;
    corrupted[4] ^= 0x01;
    Bytes garbageFirst = Hex("00 FF 7E");
    garbageFirst.insert(garbageFirst.end(), good.begin(), good.end());
    const std::vector<Row> rows = {
        {"one CRC byte changed", true, [&] { Bytes b = good; b.back() ^= 0x40; return b; }(), "CRC error\n",
         Detail("mbio.crcerr"), 1000ms},
        {"one data bit changed", true, corrupted, "CRC error\n", Detail("mbio.crcerr"), 1000ms},
        {"exception code 2", true, WithCrc(Hex("01 83 02")), "Exception 2\n", ExceptionDetail(2), 1000ms},
        {"garbage before a valid frame", false, garbageFirst, "CRC error\n", {}, 1000ms},
        // A frame that stops short is only known to be short when the time is up.
        {"3-byte answer", false, Hex("01 03 02"), "Invalid response\n", {}, 1500ms},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Peer peer([&](int number, const Bytes&) {
            return std::vector<Peer::Action>{Peer::Send{row.everyAttempt || number == 0 ? row.bad : good}};
        });
        OpenOn(peer);
        TraceRecorder rowTrace;
        const auto started = Clock::now();
        std::uint16_t value = 0;
        const QString error = ErrorOf([&] { value = ReadOne(); });
        EXPECT_LT(Clock::now() - started, row.limit);
        if (row.everyAttempt) {
            EXPECT_EQ(error, TransactionError("ReadHoldingRegister", 9601, 1, row.detail));
            EXPECT_EQ(rowTrace.Failures().join(QString()), Repeat(row.failureLine, 3));
        } else {
            EXPECT_EQ(error, QStringLiteral("(no error)"));
            EXPECT_EQ(value, 0x1234);
            EXPECT_EQ(rowTrace.Failures(), QStringList{row.failureLine});
        }
        client.Close();
    }
}

TEST_F(ModbusRtu, ModeTwoMakesTenAttempts)
{
    Peer peer([](int, const Bytes&) { return Answer(Hex("01 83 02")); });
    OpenOn(peer, ComSettings::ModeSlowSerial);
    EXPECT_EQ(ErrorOf([&] { ReadOne(); }), TransactionError("ReadHoldingRegister", 9601, 1, ExceptionDetail(2)));
    EXPECT_EQ(trace.Failures().join(QString()), Repeat(QStringLiteral("Exception 2\n"), 10));
    EXPECT_EQ(peer.Requests().size(), 10u);
}

TEST_F(ModbusRtu, ALateAnswerWaitingOnTheLineIsDiscardedBeforeTheNextRequest)
{
    Peer peer([](int number, const Bytes& frame) { return Answer(RegisterAnswer(frame[0], {std::uint16_t(number)})); });
    OpenOn(peer);
    EXPECT_EQ(ReadOne(), 0);

    // The answer to an exchange given up earlier arrives before the next request is sent.
    peer.Inject(WithCrc(RegisterAnswer(1, {0xDEAD})));
    std::this_thread::sleep_for(20ms);

    EXPECT_EQ(ReadOne(), 1);
    EXPECT_TRUE(trace.Failures().isEmpty()) << trace.Failures().join(QString()).toStdString();
}

TEST_F(ModbusRtu, AHangUpInTheMiddleOfAnAnswerEndsTheReadAtOnce)
{
    Peer peer([](int, const Bytes&) {
        const Bytes answer = WithCrc(RegisterAnswer(1, {0x1234}));
        return std::vector<Peer::Action>{Peer::Send{Bytes(answer.begin(), answer.begin() + 3)}, Peer::Pause{20ms},
                                         Peer::HangUp{}};
    });
    OpenOn(peer);
    const auto started = Clock::now();
    EXPECT_EQ(ErrorOf([&] { ReadOne(); }), TransactionError("ReadHoldingRegister", 9601, 1, Detail("mbio.timeout")));
    EXPECT_LT(Clock::now() - started, 500ms);
    EXPECT_EQ(trace.Failures(), (QStringList{"Invalid response\n", "Timeout\n", "Timeout\n"}));
}

TEST_F(ModbusRtu, APortInUseCannotBeOpenedAgain)
{
    Peer peer([](int, const Bytes& frame) { return AddressValues(frame); });
    OpenOn(peer);
    const QString path = QString::fromStdString(peer.Path());

    CModbusInterface second;
    second.SetComSettings(SettingsFor(peer));
    EXPECT_EQ(ErrorOf([&] { second.Open(); }),
              CPrivateException::ComposeMessage("serio.openerr", {path, CMessageFormatter(EBUSY).GetText().trimmed()}));
    // The first client still owns the line.
    EXPECT_EQ(ReadOne(), 9600);

    ComSettings missing = SettingsFor(peer);
    missing.COMPortName = QStringLiteral("/dev/korva-no-such-port");
    second.SetComSettings(missing);
    EXPECT_EQ(ErrorOf([&] { second.Open(); }),
              CPrivateException::ComposeMessage("serio.openerr",
                                                {missing.COMPortName, CMessageFormatter(ENOENT).GetText().trimmed()}));
}

// A pseudo-terminal keeps its settings between opens and refuses to be asked for the same odd
// parity twice; opening it again and again must still work.
TEST_F(ModbusRtu, ThePortCanBeOpenedAndClosedManyTimes)
{
    Peer peer([](int, const Bytes& frame) { return AddressValues(frame); });
    for (int parity = 0; parity <= 4; ++parity) {
        ComSettings settings = SettingsFor(peer);
        settings.Parity = parity;
        client.SetComSettings(settings);
        for (int round = 0; round < 4; ++round) {
            SCOPED_TRACE(testing::Message() << "parity " << parity << ", round " << round);
            ASSERT_EQ(ErrorOf([&] { client.Open(); }), QStringLiteral("(no error)"));
            EXPECT_EQ(ReadOne(100), 100);
            client.Close();
        }
    }
}
