// ctest-label: integration
// korva-cli with a device: read, write and monitor run as processes against korva-devsim over
// TCP on loopback and RTU on a pseudo-terminal. Round trips, the identity test that keeps a
// write off the wrong device, the connection options and stored settings, interrupts, and the
// monitor's report.

#include "../app/DevsimRequestLog.h"
#include "CliProcess.h"
#include "TestProfile.h"
#include "../modbus/ModbusTestSupport.h"

#include "app/ConfigurationFile.h"
#include "app/ModelChoice.h"
#include "model/CDevInterface.h"
#include "modbus/CModbusInterface.h"
#include "modbus/CPrivateException.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>

#include <csignal>

using app_test::ServedRequests;
using app_test::WritesAmong;
using cli_test::CliEnvironment;
using cli_test::CliResult;
using cli_test::RunCli;
using modbus_test::ChildProcess;
using modbus_test::DevsimProcess;
using modbus_test::LoopbackTcpSettings;

namespace {

class CliDevice : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return QDir(files.path()).filePath(name); }

    // A simulated device on a free loopback port; `tcp` becomes its --tcp value.
    std::unique_ptr<DevsimProcess> StartDevice(const QStringList& arguments)
    {
        auto devsim = std::make_unique<DevsimProcess>(QStringList{"--tcp", "127.0.0.1:0", "--verbose"} + arguments);
        port = devsim->TcpPort();
        EXPECT_FALSE(port.isEmpty()) << devsim->Output().toStdString();
        tcp = QStringLiteral("127.0.0.1:") + port;
        return devsim;
    }

    // Direct access to the simulated device, to prepare it or look at it.
    CModbusInterface& Client()
    {
        client.SetComSettings(LoopbackTcpSettings(port));
        return client;
    }

    TestProfile profile;
    CliEnvironment environment{profile.Path()};
    QTemporaryDir files;
    QString port;
    QString tcp;
    CModbusInterface client;
};

std::string Describe(const CliResult& result)
{
    return QStringLiteral("exit %1\nout: %2\nerr: %3").arg(result.exitCode).arg(result.out, result.err).toStdString();
}

QString Comerr(const CPrivateException& cause)
{
    return CPrivateException("comerr", cause.ErrorText()).ErrorText();
}

} // namespace

// read, change, write, read again: the device holds what was written, and the second file
// equals the edited one.
TEST_F(CliDevice, ReadWriteReadRoundTripsADevice)
{
    auto devsim = StartDevice({"--code", "6014"});
    const CliResult read = RunCli({"read", "--tcp", tcp, "-o", Path("device.cfg")});
    ASSERT_EQ(read.exitCode, 0) << Describe(read);
    EXPECT_EQ(read.out, QStringLiteral("VK20C  VK20C (920 MHz wireless)  code 6014  firmware 1.0\n"));
    EXPECT_TRUE(read.err.isEmpty()) << "no progress when standard error is no terminal";

    ASSERT_EQ(RunCli({"set", Path("device.cfg"), "tag=boiler room", "ch=5,9", "netname=plant-a", "-o", Path("edited.cfg")}).exitCode, 0);
    const CliResult write = RunCli({"write", Path("edited.cfg"), "--tcp", tcp});
    ASSERT_EQ(write.exitCode, 0) << Describe(write);
    const auto writes = WritesAmong(ServedRequests(*devsim));
    ASSERT_GE(writes.size(), 3u);
    EXPECT_EQ(writes.front().words, std::vector<std::uint16_t>{1});
    EXPECT_EQ(writes.back().address, 1000);
    EXPECT_EQ(writes.back().words, std::vector<std::uint16_t>{0});

    ASSERT_EQ(RunCli({"read", "--tcp", tcp, "-o", Path("again.cfg")}).exitCode, 0);
    const auto edited = LoadConfigurationFile(Path("edited.cfg"));
    const auto again = LoadConfigurationFile(Path("again.cfg"));
    EXPECT_EQ(again->GetParameter(u"tag").GetText(), QStringLiteral("boiler room"));
    for (int i = 0; i < edited->GetCount(); ++i)
        EXPECT_EQ(again->GetAt(i).GetValue(), edited->GetAt(i).GetValue()) << edited->NameAt(i).toString().toStdString();
}

// A VK20C file and a VK20CF device: refused with "diffdev" after the identity, and not one
// register written.
TEST_F(CliDevice, WriteToAnIncompatibleDeviceWritesNothing)
{
    auto devsim = StartDevice({"--code", "5114"});
    SaveConfigurationFile(*CreateChosenModel(18), Path("vk20c.cfg"));
    const CliResult result = RunCli({"write", Path("vk20c.cfg"), "--tcp", tcp});
    EXPECT_EQ(result.exitCode, 1) << Describe(result);
    EXPECT_EQ(result.err, Comerr(CPrivateException("diffdev")) + u'\n');
    EXPECT_TRUE(WritesAmong(ServedRequests(*devsim)).empty());
    EXPECT_FALSE(ServedRequests(*devsim).empty());
}

// Failures before and at the device, each with its exit code; nothing reaches the device when
// the file or the command line is wrong.
TEST_F(CliDevice, RefusalsComeWithTheirExitCodes)
{
    auto devsim = StartDevice({"--code", "6003", "--firmware", "1.1"});
    auto lan = CreateChosenModel(1);
    lan->GetParameter(u"wlanmode").SetValue(1);
    lan->GetParameter(u"wlansecurity").SetValue(3);
    SaveConfigurationFile(*lan, Path("adhoc.cfg"));
    struct Row {
        QStringList arguments;
        int exitCode;
        QString message;
    };
    const std::vector<Row> rows = {
        {{"read", "--tcp", tcp, "-o", Path("x.cfg")}, 1, Comerr(CPrivateException("unknowndev", 6003))},
        {{"write", Path("adhoc.cfg"), "--tcp", tcp}, 4, CPrivateException("wlan.adhocerr").ErrorText()},
        {{"write", Path("missing.cfg"), "--tcp", tcp}, 3, CPrivateException("illfileerr").ErrorText()},
        {{"read", "-o", Path("x.cfg")}, 2, "read needs one connection"},
        {{"read", "--tcp", tcp, "--serial", "/dev/null", "-o", Path("x.cfg")}, 2, "read needs one connection"},
        {{"read", "--tcp", tcp}, 2, "read needs -o FILE"},
        {{"read", "--tcp", "127.0.0.1:0", "-o", Path("x.cfg")}, 2, "the port is a number from 1 to 65535"},
        {{"read", "--tcp", tcp, "--baud", "9600", "-o", Path("x.cfg")}, 2, "--baud, --parity and --stop go with --serial"},
        {{"read", "--serial", "/dev/null", "--baud", "1234", "-o", Path("x.cfg")}, 2, "--baud takes"},
        {{"read", "--serial", "/dev/null", "--parity", "sometimes", "-o", Path("x.cfg")}, 2, "--parity takes"},
        {{"read", "--serial", "/dev/null", "--stop", "3", "-o", Path("x.cfg")}, 2, "--stop takes"},
        {{"read", "--tcp", tcp, "--unit", "0", "-o", Path("x.cfg")}, 2, "--unit takes"},
        {{"read", "--direct", "00:11:22", "-o", Path("x.cfg")}, 2, "--direct takes a MAC address"},
        {{"write", Path("adhoc.cfg"), Path("other.cfg"), "--tcp", tcp}, 2, "write: unexpected"},
        {{"monitor", "--tcp", tcp, "--tcp", tcp}, 2, "--tcp is given twice"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString());
        const std::size_t before = ServedRequests(*devsim).size();
        const CliResult result = RunCli(row.arguments);
        EXPECT_EQ(result.exitCode, row.exitCode) << Describe(result);
        EXPECT_TRUE(result.err.contains(row.message)) << Describe(result);
        if (row.exitCode != 1) {
            EXPECT_EQ(ServedRequests(*devsim).size(), before);
        }
    }
    EXPECT_FALSE(QFile::exists(Path("x.cfg")));

    // Nobody listens any more.
    EXPECT_EQ(devsim->Stop(), 0);
    const CliResult closed = RunCli({"read", "--tcp", tcp, "-o", Path("x.cfg")});
    EXPECT_EQ(closed.exitCode, 1);
    EXPECT_TRUE(closed.err.startsWith(CPrivateException("comerr", QString()).ErrorText().trimmed())) << Describe(closed);
}

// What the line leaves open comes from the stored communication settings: here the TCP port
// and the serial line; the unit defaults to 1 and follows --unit.
TEST_F(CliDevice, StoredSettingsFillWhatTheLineLeavesOpen)
{
    auto devsim = StartDevice({"--code", "6001", "--pty"});
    QSettings stored(environment.ProfileFile(), QSettings::IniFormat);
    stored.setValue("ComSettings/ServicePort", port);
    stored.setValue("ComSettings/Baudrate", 3);
    stored.setValue("ComSettings/Parity", 0);
    stored.sync();

    const CliResult tcpRead = RunCli({"read", "--tcp", "127.0.0.1", "--unit", "7", "-o", Path("tcp.cfg")});
    ASSERT_EQ(tcpRead.exitCode, 0) << Describe(tcpRead);
    const auto requests = ServedRequests(*devsim);
    ASSERT_FALSE(requests.empty());
    const QString pty = devsim->Endpoint(QStringLiteral("pty"));
    ASSERT_FALSE(pty.isEmpty());

    const CliResult rtuRead = RunCli({"read", "--serial", pty, "-o", Path("rtu.cfg")});
    ASSERT_EQ(rtuRead.exitCode, 0) << Describe(rtuRead);
    EXPECT_EQ(QFile(Path("rtu.cfg")).size(), QFile(Path("tcp.cfg")).size());
    const CliResult rtuMonitor = RunCli({"monitor", "--serial", pty, "--baud", "19200", "--stop", "2", "--once"});
    EXPECT_EQ(rtuMonitor.exitCode, 0) << Describe(rtuMonitor);
    // The tool never stores what it was given.
    EXPECT_EQ(QSettings(environment.ProfileFile(), QSettings::IniFormat).value("ComSettings/Baudrate").toInt(), 3);
}

// The unit identifier reaches the device: the simulator reports it first in every request.
TEST_F(CliDevice, TheUnitGoesIntoEveryRequest)
{
    auto devsim = StartDevice({"--code", "6001"});
    ASSERT_EQ(RunCli({"monitor", "--tcp", tcp, "--unit", "42", "--once"}).exitCode, 0);
    const QString output = app_test::DrainOutput(*devsim);
    EXPECT_TRUE(output.contains(QStringLiteral("tcp: request 2a 03 25 80 00 01"))) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("tcp: request 01 "))) << output.toStdString();
}

TEST_F(CliDevice, MonitorOnceReportsWhatTheWindowShows)
{
    auto devsim = StartDevice({"--code", "6014", "--model-text", "VK20C-3RYG"});
    Client().Open();
    client.WriteSingleCoil(0, true);
    client.WriteSingleCoil(9, true);
    client.WriteSingleCoil(5, true);
    client.Close();

    const CliResult text = RunCli({"monitor", "--tcp", tcp, "--once"});
    ASSERT_EQ(text.exitCode, 0) << Describe(text);
    const QStringList lines = text.out.split(u'\n');
    EXPECT_EQ(lines.value(0), QStringLiteral("VK20C  VK20C (920 MHz wireless)  code 6014  firmware 1.0"));
    EXPECT_EQ(lines.value(1), QStringLiteral("Connected"));
    for (const char* expected : {"  model        Model", "Lamps", "Lamp 1: Red    On", "Lamp 2: Amber  Blink",
                                 "Lamp 3: Green  Off", "Buzzer  Sound 1", "  COM1  Lamp 1 Off"})
        EXPECT_TRUE(text.out.contains(QString::fromUtf8(expected))) << expected << "\n" << Describe(text);
    EXPECT_FALSE(text.out.contains(QStringLiteral("Lamp 4:"))) << Describe(text);

    const CliResult json = RunCli({"monitor", "--tcp", tcp, "--once", "--json"});
    ASSERT_EQ(json.exitCode, 0) << Describe(json);
    const QJsonObject report = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(report.value("status").toString(), QStringLiteral("ok"));
    EXPECT_EQ(report.value("model").toString(), QStringLiteral("VK20C"));
    const QJsonArray lamps = report.value("lamps").toArray();
    ASSERT_EQ(lamps.size(), 3);
    EXPECT_EQ(lamps[0].toObject().value("state").toString(), QStringLiteral("on"));
    EXPECT_EQ(lamps[1].toObject().value("state").toString(), QStringLiteral("blink"));
    EXPECT_EQ(lamps[1].toObject().value("rgb").toString(), QStringLiteral("#FFC800"));
    EXPECT_EQ(report.value("buzzer").toObject().value("state").toString(), QStringLiteral("on"));
    EXPECT_EQ(report.value("inputs").toObject().value("com1").toArray().size(), 7);
    EXPECT_EQ(report.value("registers").toObject().value("coils").toInt(), 0x0221);
}

TEST_F(CliDevice, MonitorOnceOfAnUnknownDeviceFails)
{
    auto devsim = StartDevice({"--code", "7777"});
    const CliResult result = RunCli({"monitor", "--tcp", tcp, "--once", "--json"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, CPrivateException("unknowndev", 7777).ErrorText() + u'\n');
    const QJsonObject report = QJsonDocument::fromJson(result.out.toUtf8()).object();
    EXPECT_EQ(report.value("status").toString(), QStringLiteral("error"));
    EXPECT_EQ(report.value("statusText").toString(), CPrivateException("mon.err").ErrorText());
    EXPECT_TRUE(report.value("model").isNull());
}

// Without --once the monitor polls until it is interrupted, which ends it successfully; an
// interrupted read ends at once, quietly, with exit 1 and no file.
TEST_F(CliDevice, InterruptsEndMonitorAndRead)
{
    auto devsim = StartDevice({"--code", "6001"});
    {
        ChildProcess monitor(cli_test::CliProgram(), {"monitor", "--tcp", tcp, "--json"});
        const QRegularExpression poll(QStringLiteral("^(\\{\"buzzer\".*)$"));
        ASSERT_FALSE(monitor.WaitForLine(poll, 1).isEmpty()) << monitor.Output().toStdString();
        EXPECT_EQ(monitor.Stop(SIGINT), 0);
    }

    auto slow = StartDevice({"--code", "6001", "--fault", "delay:5000@4"});
    ChildProcess read(cli_test::CliProgram(), {"read", "--tcp", tcp, "-o", Path("slow.cfg")});
    // The fourth request, the second parameter (register 1004), waits for its answer.
    const QRegularExpression fourth(QStringLiteral("tcp: request (01 03 03 ec)"));
    ASSERT_FALSE(slow->WaitForLine(fourth).isEmpty()) << slow->Output().toStdString();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(read.Stop(SIGINT), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_TRUE(read.Output().isEmpty()) << read.Output().toStdString();
    EXPECT_FALSE(QFile::exists(Path("slow.cfg")));
}
