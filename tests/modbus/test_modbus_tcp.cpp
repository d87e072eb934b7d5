// ctest-label: integration
// The Modbus client over TCP against a scripted loopback peer: the frames it sends, byte for
// byte, and what it makes of every kind of bad, split, late or missing answer.

#include "ModbusTestSupport.h"
#include "ScriptedTcpPeer.h"
#include "TestProfile.h"

#include "connection/ComSettings.h"
#include "modbus/CMessageFormatter.h"
#include "modbus/CModbusInterface.h"
#include "modbus/CModbusTcpTransport.h"
#include "modbus/DirectAnswer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

using namespace std::chrono_literals;
using namespace modbus_test;
using Peer = ScriptedTcpPeer;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<Peer::Action> Answer(std::uint16_t id, const Bytes& pdu)
{
    return {Peer::Send{TcpFrame(id, pdu)}};
}

class ModbusTcp : public ::testing::Test {
protected:
    void OpenOn(const Peer& peer, int unit = 1)
    {
        ComSettings settings;
        settings.Mode = ComSettings::ModeTcp;
        settings.Address = unit;
        settings.ServerAddress = QStringLiteral("127.0.0.1");
        settings.ServicePort = QString::number(peer.Port());
        client.SetComSettings(settings);
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

TEST_F(ModbusTcp, SendsEachRequestAsTheExpectedFrame)
{
    struct Row {
        const char* name;
        int unit;
        std::function<Bytes(CModbusInterface&)> operation; // returns the data read, if any
        const char* request;
        const char* answer;
        const char* data;
        const char* traceLine;
    };
    const std::vector<Row> rows = {
        {"read 2 at 9617, unit 1", 1,
         [](CModbusInterface& c) {
             std::vector<std::uint16_t> v(2);
             c.ReadHoldingRegisters(9617, 2, v);
             return Bytes{std::uint8_t(v[0] >> 8), std::uint8_t(v[0]), std::uint8_t(v[1] >> 8), std::uint8_t(v[1])};
         },
         "00 2A 00 00 00 06 01 03 25 91 00 02", "01 03 04 00 01 00 02", "00 01 00 02",
         "ReadHoldingRegisters: adrs=9618 size=2\n"},
        {"read 1 at 9600, unit 5", 5,
         [](CModbusInterface& c) {
             std::vector<std::uint16_t> v(1);
             c.ReadHoldingRegisters(9600, 1, v);
             return Bytes{std::uint8_t(v[0] >> 8), std::uint8_t(v[0])};
         },
         "00 2A 00 00 00 06 05 03 25 80 00 01", "05 03 02 0F A5", "0F A5",
         "ReadHoldingRegisters: adrs=9601 size=1\n"},
        {"read 16 coils at 0", 1,
         [](CModbusInterface& c) {
             Bytes bits(2);
             c.ReadCoils(0, 16, bits);
             return bits;
         },
         "00 2A 00 00 00 06 01 01 00 00 00 10", "01 01 02 A5 01", "A5 01", "Read Coils: adrs=1 size=16\n"},
        {"read 10 inputs at 3", 1,
         [](CModbusInterface& c) {
             Bytes bits(2);
             c.ReadDiscreteInputs(3, 10, bits);
             return bits;
         },
         "00 2A 00 00 00 06 01 02 00 03 00 0A", "01 02 02 FF 03", "FF 03", "Read Discrete Inputs: adrs=4 size=10\n"},
        {"coil 7 on", 1,
         [](CModbusInterface& c) {
             c.WriteSingleCoil(7, true);
             return Bytes{};
         },
         "00 2A 00 00 00 06 01 05 00 07 FF 00", "01 05 00 07 FF 00", "", "WriteSingleCoil: adrs=8\n"},
        {"write 1 at 1000", 1,
         [](CModbusInterface& c) {
             const std::uint16_t one[] = {1};
             c.WriteMultipleRegisters(1000, 1, one);
             return Bytes{};
         },
         "00 2A 00 00 00 09 01 10 03 E8 00 01 02 00 01", "01 10 03 E8 00 01", "", "WriteMultipleRegisters: adrs=1001 size=1\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Peer peer([&](int, std::uint16_t id, const Bytes&) { return Answer(id, Hex(row.answer)); });
        OpenOn(peer, row.unit);
        CModbusTcpTransport::SetLastTransactionId(41);
        TraceRecorder rowTrace;

        EXPECT_EQ(ToHex(row.operation(client)), ToHex(Hex(row.data)));
        ASSERT_EQ(peer.Requests().size(), 1u);
        EXPECT_EQ(ToHex(peer.Requests()[0]), row.request);
        EXPECT_EQ(rowTrace.Lines(), QStringList{QString::fromLatin1(row.traceLine)});
        client.Close();
    }
}

// Every row answers a read of 2 registers at 9617 (or a write of 1 at 1000) badly; the row
// says whether every attempt gets the bad answer or only the first. No row may wait for the
// watchdog: the client knows at once that the answer is wrong.
TEST_F(ModbusTcp, BadAnswersFailTheAttemptWithTheirOwnError)
{
    const Bytes good = Hex("01 03 04 01 02 03 04");
    auto header = [](std::uint16_t id, std::uint16_t length) {
        return Bytes{std::uint8_t(id >> 8), std::uint8_t(id), 0, 0, std::uint8_t(length >> 8), std::uint8_t(length)};
    };
    struct Row {
        const char* name;
        bool everyAttempt;
        bool write;
        std::function<Bytes(std::uint16_t id)> bad;
        QString failureLine;
        QString detail; // of the final error when every attempt fails
    };
    const std::vector<Row> rows = {
        {"previous transaction identifier", true, false,
         [&](std::uint16_t id) { return TcpFrame(std::uint16_t(id - 1), good); },
         "Invalid transaction\n", Detail("mbio.invalid_transaction")},
        {"exception code 2", true, false, [](std::uint16_t id) { return TcpFrame(id, Hex("01 83 02")); },
         "Exception 2\n", ExceptionDetail(2)},
        {"write answered with 4 bytes", true, true,
         [](std::uint16_t id) { return TcpFrame(id, Hex("01 10 03 E8")); }, "Invalid response\n",
         Detail("mbio.invalid_response")},
        {"exception with extra bytes", false, false,
         [](std::uint16_t id) { return TcpFrame(id, Hex("01 83 02 00 00 00 00")); }, "Exception 2\n", {}},
        {"MBAP length 0", false, false, [&](std::uint16_t id) { return header(id, 0); }, "Timeout\n", {}},
        {"MBAP length 1", false, false,
         [&](std::uint16_t id) {
             Bytes frame = header(id, 1);
             frame.push_back(0x01);
             return frame;
         },
         "Invalid response\n", {}},
        {"MBAP length 255", false, false,
         [&](std::uint16_t id) {
             Bytes frame = header(id, 255);
             frame.insert(frame.end(), good.begin(), good.end());
             return frame;
         },
         "Invalid response\n", {}},
        {"byte count smaller than the data", false, false,
         [](std::uint16_t id) { return TcpFrame(id, Hex("01 03 02 01 02 03 04")); }, "Invalid response\n", {}},
        {"byte count larger than the data", false, false,
         [](std::uint16_t id) { return TcpFrame(id, Hex("01 03 04 01 02")); }, "Invalid response\n", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Peer peer([&](int number, std::uint16_t id, const Bytes& pdu) {
            if (row.everyAttempt || number == 0)
                return std::vector<Peer::Action>{Peer::Send{row.bad(id)}};
            return Answer(id, pdu[1] == 0x10 ? Hex("01 10 03 E8 00 01") : good);
        });
        OpenOn(peer);
        TraceRecorder rowTrace;
        const auto started = Clock::now();

        QString error;
        std::vector<std::uint16_t> values(2);
        if (row.write) {
            const std::uint16_t one[] = {1};
            error = ErrorOf([&] { client.WriteMultipleRegisters(1000, 1, one); });
        } else {
            error = ErrorOf([&] { client.ReadHoldingRegisters(9617, 2, values); });
        }

        EXPECT_LT(Clock::now() - started, 2s);
        if (row.everyAttempt) {
            EXPECT_EQ(error, row.write ? TransactionError("WriteMultipleRegisters", 1001, 1, row.detail)
                                       : TransactionError("ReadHoldingRegister", 9618, 2, row.detail));
            EXPECT_EQ(rowTrace.Failures().join(QString()), Repeat(row.failureLine, 3));
            EXPECT_EQ(peer.Requests().size(), 3u);
        } else {
            EXPECT_EQ(error, QStringLiteral("(no error)"));
            EXPECT_EQ(values, (std::vector<std::uint16_t>{0x0102, 0x0304}));
            EXPECT_EQ(rowTrace.Failures(), QStringList{row.failureLine});
        }
        client.Close();
    }
}

TEST_F(ModbusTcp, AnAnswerSplitAtAnyByteIsReassembled)
{
    const Bytes pdu = Hex("01 03 04 12 34 56 78");
    Peer peer([&](int number, std::uint16_t id, const Bytes&) {
        const Bytes frame = TcpFrame(id, pdu);
        const std::size_t at = 1 + static_cast<std::size_t>(number) % (frame.size() - 1);
        return std::vector<Peer::Action>{Peer::Send{Bytes(frame.begin(), frame.begin() + at)}, Peer::Pause{15ms},
                                         Peer::Send{Bytes(frame.begin() + at, frame.end())}};
    });
    OpenOn(peer);
    for (std::size_t split = 1; split < 13; ++split) {
        SCOPED_TRACE(split);
        EXPECT_EQ(ReadTwo(), (std::vector<std::uint16_t>{0x1234, 0x5678}));
    }
    EXPECT_TRUE(trace.Failures().isEmpty()) << trace.Failures().join(QString()).toStdString();
}

TEST_F(ModbusTcp, ASecondAnswerInTheSameReadDoesNotPassForTheNext)
{
    Peer peer([&](int number, std::uint16_t id, const Bytes&) {
        const Bytes frame = TcpFrame(id, RegisterAnswer(1, {std::uint16_t(number), 0xAAAA}));
        Bytes twice = frame;
        twice.insert(twice.end(), frame.begin(), frame.end());
        return std::vector<Peer::Action>{Peer::Send{twice}};
    });
    OpenOn(peer);
    EXPECT_EQ(ReadTwo(), (std::vector<std::uint16_t>{0, 0xAAAA}));
    EXPECT_EQ(ReadTwo(), (std::vector<std::uint16_t>{1, 0xAAAA}));
    EXPECT_TRUE(trace.Failures().isEmpty());
}

TEST_F(ModbusTcp, AStaleAnswerAheadOfTheRealOneCostsOneAttempt)
{
    Peer peer([&](int number, std::uint16_t id, const Bytes&) {
        Bytes frames = TcpFrame(std::uint16_t(id - 1), RegisterAnswer(1, {0xDEAD, 0xDEAD}));
        const Bytes real = TcpFrame(id, RegisterAnswer(1, {7, std::uint16_t(number)}));
        frames.insert(frames.end(), real.begin(), real.end());
        return std::vector<Peer::Action>{Peer::Send{number == 0 ? frames : real}};
    });
    OpenOn(peer);
    // The real answer behind the stale one is thrown away with it: the retry asks afresh.
    EXPECT_EQ(ReadTwo(), (std::vector<std::uint16_t>{7, 1}));
    EXPECT_EQ(trace.Failures(), QStringList{QStringLiteral("Invalid transaction\n")});
}

TEST_F(ModbusTcp, CancelEndsABlockedReceiveAndTheLateAnswerIsDiscarded)
{
    Peer peer([&](int number, std::uint16_t id, const Bytes&) {
        if (number == 0)
            return std::vector<Peer::Action>{Peer::Pause{300ms}, Peer::Send{TcpFrame(id, RegisterAnswer(1, {1, 1}))}};
        return Answer(id, RegisterAnswer(1, {2, 2}));
    });
    OpenOn(peer);

    QString error;
    Clock::duration blocked{};
    std::thread reader([&] {
        const auto started = Clock::now();
        error = ErrorOf([&] { ReadTwo(); });
        blocked = Clock::now() - started;
    });
    ASSERT_TRUE(peer.WaitForRequests(1));
    std::this_thread::sleep_for(50ms);
    client.Cancel();
    reader.join();

    EXPECT_LT(blocked, 250ms) << "the receive waited for the answer instead of ending";
    EXPECT_EQ(error, TransactionError("ReadHoldingRegister", 9618, 2, Detail("mbio.timeout")));
    EXPECT_TRUE(trace.Lines().contains(QStringLiteral("CancelBlockingCall\n")));
    EXPECT_EQ(peer.Requests().size(), 1u) << "a cancelled read must not try again";

    // The late answer has arrived by now; the next read must not take it for its own.
    std::this_thread::sleep_for(400ms);
    TraceRecorder nextTrace;
    EXPECT_EQ(ReadTwo(), (std::vector<std::uint16_t>{2, 2}));
    EXPECT_TRUE(nextTrace.Failures().isEmpty()) << nextTrace.Failures().join(QString()).toStdString();
}

TEST_F(ModbusTcp, APeerThatClosesGivesTheTimeoutAtOnce)
{
    Peer peer([](int, std::uint16_t, const Bytes&) { return std::vector<Peer::Action>{Peer::Close{}}; });
    OpenOn(peer);
    const auto started = Clock::now();
    EXPECT_EQ(ErrorOf([&] { ReadTwo(); }), TransactionError("ReadHoldingRegister", 9618, 2, Detail("mbio.timeout")));
    EXPECT_LT(Clock::now() - started, 1s);
    EXPECT_EQ(trace.Failures().join(QString()), Repeat(QStringLiteral("Timeout\n"), 3));
}

TEST_F(ModbusTcp, AResetInTheMiddleOfAFrameFailsAtOnceAndAReopenRecovers)
{
    Peer peer([](int number, std::uint16_t id, const Bytes&) {
        const Bytes frame = TcpFrame(id, RegisterAnswer(1, {5, 6}));
        if (number == 0)
            return std::vector<Peer::Action>{Peer::Send{Bytes(frame.begin(), frame.begin() + 9)}, Peer::Pause{20ms},
                                             Peer::Reset{}};
        return std::vector<Peer::Action>{Peer::Send{frame}};
    });
    OpenOn(peer);
    const auto started = Clock::now();
    const QString error = ErrorOf([&] { ReadTwo(); });
    EXPECT_LT(Clock::now() - started, 1s);
    EXPECT_TRUE(error == TransactionError("ReadHoldingRegister", 9618, 2, Detail("mbio.timeout"))
                || error == TransactionError("ReadHoldingRegister", 9618, 2, Detail("mbio.invalid_response")))
        << error.toStdString();

    client.Open();
    EXPECT_EQ(ReadTwo(), (std::vector<std::uint16_t>{5, 6}));
}

TEST_F(ModbusTcp, ASilentPeerIsCutOffByTheWatchdogOnEveryAttempt)
{
    Peer peer([](int, std::uint16_t, const Bytes&) { return std::vector<Peer::Action>{}; });
    OpenOn(peer);
    const auto started = Clock::now();
    EXPECT_EQ(ErrorOf([&] { ReadTwo(); }), TransactionError("ReadHoldingRegister", 9618, 2, Detail("mbio.timeout")));
    const auto elapsed = Clock::now() - started;

    EXPECT_GE(elapsed, 3 * CModbusTcpTransport::kWatchdogTime);
    EXPECT_LT(elapsed, 3 * CModbusTcpTransport::kWatchdogTime + 1500ms);
    EXPECT_EQ(trace.Failures().join(QString()), Repeat(QStringLiteral("Timeout\n"), 3));
    EXPECT_EQ(peer.Requests().size(), 3u);
    // The watchdog cancels without the line that a user's Cancel writes.
    EXPECT_FALSE(trace.Lines().contains(QStringLiteral("CancelBlockingCall\n")));
}

TEST_F(ModbusTcp, LongRequestsAreSplitIntoRequestsTheProtocolCanCarry)
{
    Peer peer([](int, std::uint16_t id, const Bytes& pdu) {
        const std::uint16_t address = std::uint16_t((pdu[2] << 8) | pdu[3]);
        const std::uint16_t count = std::uint16_t((pdu[4] << 8) | pdu[5]);
        if (pdu[1] == 0x10)
            return Answer(id, Bytes(pdu.begin(), pdu.begin() + 6));
        std::vector<std::uint16_t> values;
        for (std::uint16_t i = 0; i < count; ++i)
            values.push_back(std::uint16_t(address + i));
        return Answer(id, RegisterAnswer(1, values));
    });
    OpenOn(peer);

    std::vector<std::uint16_t> values(300);
    client.ReadHoldingRegisters(1000, 300, values);
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_EQ(values[i], 1000 + i) << "index " << i;
    std::vector<std::uint16_t> written(250, 9);
    client.WriteMultipleRegisters(2000, 250, written);

    QStringList sizes;
    for (const auto& request : peer.Requests())
        sizes << QStringLiteral("%1@%2").arg((request[10] << 8) | request[11]).arg((request[8] << 8) | request[9]);
    EXPECT_EQ(sizes.join(u' '), QStringLiteral("125@1000 125@1125 50@1250 123@2000 123@2123 4@2246"));
}

TEST_F(ModbusTcp, OpenFailuresCarryTheSystemReason)
{
    ComSettings settings;
    settings.Mode = ComSettings::ModeTcp;
    settings.ServerAddress = QStringLiteral("127.0.0.1");

    // A port that was just free: nothing listens there.
    std::uint16_t closedPort = 0;
    {
        Peer peer([](int, std::uint16_t, const Bytes&) { return std::vector<Peer::Action>{}; });
        closedPort = peer.Port();
    }
    settings.ServicePort = QString::number(closedPort);
    client.SetComSettings(settings);
    EXPECT_EQ(ErrorOf([&] { client.Open(); }),
              CPrivateException::ComposeMessage("mbio.tcperr", {CMessageFormatter(ECONNREFUSED).GetText()}));

    // Resolved locally: an unknown service name never asks a name server.
    settings.ServicePort = QStringLiteral("no-such-service");
    client.SetComSettings(settings);
    const QString prefix = CPrivateException::ComposeMessage("mbio.tcperr", {QString()});
    const QString error = ErrorOf([&] { client.Open(); });
    EXPECT_TRUE(error.startsWith(prefix) && error.size() > prefix.size()) << error.toStdString();
}

TEST_F(ModbusTcp, TheBroadcastReadRefusesEveryOtherMode)
{
    Peer peer([](int, std::uint16_t id, const Bytes&) { return Answer(id, Hex("01 03 02 00 00")); });
    OpenOn(peer);
    std::vector<DirectAnswer> answers;
    EXPECT_FALSE(client.ReadHoldingRegistersFromAll(9600, 1, 1, answers));
    client.Close();
    ComSettings serial = client.GetComSettings();
    serial.Mode = ComSettings::ModeSerial;
    client.SetComSettings(serial);
    EXPECT_FALSE(client.ReadHoldingRegistersFromAll(9600, 1, 1, answers));
    EXPECT_TRUE(answers.empty());
    EXPECT_TRUE(peer.Requests().empty());
}

TEST_F(ModbusTcp, RequestsBeyondTheBufferOrTheAddressSpaceAreRefusedBeforeSending)
{
    Peer peer([](int, std::uint16_t id, const Bytes&) { return Answer(id, RegisterAnswer(1, std::vector<std::uint16_t>(10))); });
    OpenOn(peer);
    std::vector<std::uint16_t> five(5);
    std::uint8_t oneByte[1] = {};
    EXPECT_THROW(client.ReadHoldingRegisters(0, 10, five), std::out_of_range);
    EXPECT_THROW(client.WriteMultipleRegisters(0, 10, five), std::out_of_range);
    EXPECT_THROW(client.ReadCoils(0, 9, oneByte), std::out_of_range);
    EXPECT_THROW(client.ReadHoldingRegisters(65532, 5, five), std::out_of_range);
    EXPECT_TRUE(peer.Requests().empty());
}
