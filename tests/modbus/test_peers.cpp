// ctest-label: peer
// The client against Modbus implementations nobody here wrote (pymodbus servers over TCP and
// over RTU on a socat pseudo-terminal pair), and the simulator against mbpoll, a Modbus master
// that nobody here wrote either.

#include "ChildProcess.h"
#include "DevsimProcess.h"
#include "ModbusTestSupport.h"
#include "TestProfile.h"

#include "connection/ComSettings.h"
#include "modbus/CModbusInterface.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

using namespace modbus_test;

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kPeerScript = QStringLiteral(KORVA_SOURCE_DIR "/tests/modbus/pymodbus_peer.py");

// Whether the system's Python can import `modules` (the serial server of pymodbus needs
// python3-serial-asyncio, which the package only recommends).
bool HasPython(const char* modules)
{
    ChildProcess probe(kPython, {QStringLiteral("-c"), QStringLiteral("import ") + QLatin1String(modules)});
    return probe.WaitForExit() == 0;
}

bool HasProgram(const char* path)
{
    return QFileInfo(QString::fromLatin1(path)).isExecutable();
}

// The peer script's data: register a holds 7a + 3, coil a is on for multiples of 3, input a
// for multiples of 5.
std::uint16_t PeerRegister(std::uint32_t address)
{
    return static_cast<std::uint16_t>(7 * address + 3);
}

std::vector<std::uint8_t> PackedBits(std::uint16_t first, std::uint16_t count, int every)
{
    std::vector<std::uint8_t> bits((count + 7) / 8, 0);
    for (std::uint16_t i = 0; i < count; ++i)
        if ((first + i) % every == 0)
            bits[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
    return bits;
}

class Peers : public ::testing::Test {
protected:
    // One exchange of every kind the program makes, checked against the peer's data.
    void ExerciseEveryOperation()
    {
        std::vector<std::uint16_t> values(10);
        client.ReadHoldingRegisters(9600, 10, values);
        for (std::uint16_t i = 0; i < 10; ++i)
            EXPECT_EQ(values[i], PeerRegister(9600 + i));

        // More than one request can carry: the client splits it.
        std::vector<std::uint16_t> many(300);
        client.ReadHoldingRegisters(100, 300, many);
        for (std::uint16_t i = 0; i < 300; ++i)
            ASSERT_EQ(many[i], PeerRegister(100 + i)) << "index " << i;

        std::vector<std::uint8_t> bits(3);
        client.ReadCoils(1, 20, bits);
        EXPECT_EQ(bits, PackedBits(1, 20, 3));
        client.ReadDiscreteInputs(2, 20, bits);
        EXPECT_EQ(bits, PackedBits(2, 20, 5));

        const std::uint16_t written[] = {0x1234, 0, 0xFFFF};
        client.WriteMultipleRegisters(1000, 3, written);
        client.ReadHoldingRegisters(999, 5, values);
        EXPECT_EQ(std::vector<std::uint16_t>(values.begin(), values.begin() + 5),
                  (std::vector<std::uint16_t>{PeerRegister(999), 0x1234, 0, 0xFFFF, PeerRegister(1003)}));

        client.WriteSingleCoil(7, true);
        client.WriteSingleCoil(9, false);
        client.ReadCoils(0, 16, bits);
        std::vector<std::uint8_t> expected = PackedBits(0, 16, 3);
        expected[0] |= 0x80;
        expected[1] &= static_cast<std::uint8_t>(~0x02);
        EXPECT_EQ(std::vector<std::uint8_t>(bits.begin(), bits.begin() + 2), expected);

        // Beyond the peer's data: its exception answer, on every attempt.
        TraceRecorder trace;
        EXPECT_EQ(ErrorOf([&] { client.ReadHoldingRegisters(20000, 1, values); }),
                  TransactionError("ReadHoldingRegister", 20001, 1, ExceptionDetail(2)));
        EXPECT_EQ(trace.Failures().join(QString()), Repeat(QStringLiteral("Exception 2\n"), 3));
    }

    TestProfile profile;
    CModbusInterface client;
};

} // namespace

TEST_F(Peers, ReadsAndWritesAPymodbusTcpServer)
{
    if (!HasPython("pymodbus.server.async_io"))
        GTEST_SKIP() << "python3-pymodbus is not installed";
    ChildProcess server(kPython, {kPeerScript, QStringLiteral("tcp")});
    const QString port = server.WaitForLine(QRegularExpression(QStringLiteral("^tcp: 127\\.0\\.0\\.1:(\\d+)$")));
    ASSERT_FALSE(port.isEmpty()) << server.Output().toStdString();

    client.SetComSettings(LoopbackTcpSettings(port));
    client.Open();
    ExerciseEveryOperation();
}

TEST_F(Peers, ReadsAndWritesAPymodbusRtuServerAcrossASocatPair)
{
    if (!HasPython("pymodbus.server.async_io, serial_asyncio") || !HasProgram("/usr/bin/socat"))
        GTEST_SKIP() << "python3-pymodbus, python3-serial-asyncio or socat is not installed";
    // ignoreeof keeps each end alive when the program on it closes it.
    ChildProcess pair(QStringLiteral("/usr/bin/socat"),
                      {QStringLiteral("-d"), QStringLiteral("-d"), QStringLiteral("pty,raw,echo=0,ignoreeof"),
                       QStringLiteral("pty,raw,echo=0,ignoreeof")});
    const QRegularExpression ptyLine(QStringLiteral("PTY is (/dev/\\S+)"));
    const QString serverSide = pair.WaitForLine(ptyLine, 0);
    const QString clientSide = pair.WaitForLine(ptyLine, 1);
    ASSERT_FALSE(clientSide.isEmpty()) << pair.Output().toStdString();
    ChildProcess server(kPython, {kPeerScript, QStringLiteral("rtu"), serverSide});
    ASSERT_FALSE(server.WaitForLine(QRegularExpression(QStringLiteral("^rtu: (.+)$"))).isEmpty())
        << server.Output().toStdString();

    ComSettings settings;
    settings.Mode = ComSettings::ModeSerial;
    settings.COMPortName = clientSide;
    settings.Parity = 0; // as the server: a pseudo-terminal cannot keep a parity setting
    client.SetComSettings(settings);
    client.Open();
    ExerciseEveryOperation();
}

namespace {

// mbpoll's one-shot read or write; its register numbers start at 1.
QString Mbpoll(const QStringList& arguments)
{
    ChildProcess mbpoll(QStringLiteral("/usr/bin/mbpoll"), arguments);
    if (mbpoll.WaitForExit() == -1)
        return QStringLiteral("(mbpoll did not finish)");
    return mbpoll.Output();
}

} // namespace

TEST_F(Peers, MbpollReadsAndWritesTheSimulator)
{
    if (!HasProgram("/usr/bin/mbpoll"))
        GTEST_SKIP() << "mbpoll is not installed";
    DevsimProcess devsim({"--tcp", "127.0.0.1:0", "--pty", "--code", "6014", "--firmware", "1.2"});
    const QString port = devsim.TcpPort();
    const QString pty = devsim.Endpoint(QStringLiteral("pty"));
    ASSERT_FALSE(port.isEmpty() || pty.isEmpty()) << devsim.Output().toStdString();
    const QStringList overTcp = {"-m", "tcp", "-p", port, "-a", "1", "-1"};
    const QStringList overPty = {"-m", "rtu", "-b", "38400", "-P", "none", "-a", "1", "-1"};
    const QString host = QStringLiteral("127.0.0.1");

    for (const auto& [via, target] : {std::pair{overTcp, host}, std::pair{overPty, pty}}) {
        SCOPED_TRACE(via.join(u' ').toStdString());
        const QString identity = Mbpoll(via + QStringList{"-r", "9601", "-c", "1", target});
        EXPECT_TRUE(identity.contains(QRegularExpression(QStringLiteral("\\[9601\\]:\\s+6014")))) << identity.toStdString();
        const QString firmware = Mbpoll(via + QStringList{"-r", "9618", "-c", "2", target});
        EXPECT_TRUE(firmware.contains(QRegularExpression(QStringLiteral("\\[9618\\]:\\s+1\\s+\\[9619\\]:\\s+2"))))
            << firmware.toStdString();
    }

    // Writes by mbpoll, read back by the client: register 1000 over TCP, coil 4 over the pty.
    EXPECT_TRUE(Mbpoll(overTcp + QStringList{"-r", "1001", host, "1"}).contains(QLatin1String("Written 1 references")));
    EXPECT_TRUE(Mbpoll(overPty + QStringList{"-t", "0", "-r", "5", pty, "1"}).contains(QLatin1String("Written 1 references")));
    ComSettings settings;
    settings.Mode = ComSettings::ModeTcp;
    settings.ServerAddress = host;
    settings.ServicePort = port;
    client.SetComSettings(settings);
    client.Open();
    std::uint16_t mode = 0;
    client.ReadHoldingRegisters(1000, 1, std::span(&mode, 1));
    EXPECT_EQ(mode, 1);
    std::uint8_t coils[1] = {};
    client.ReadCoils(0, 8, coils);
    EXPECT_EQ(coils[0], 0x10);
}
