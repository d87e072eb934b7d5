// ctest-label: integration
// korva-cli on Ethernet (Direct), kept on loopback: KORVA_DIRECT_LOOPBACK points the tool's
// broadcasts at a korva-devsim that serves three Direct devices on 127.0.0.1. Discovery lists
// them; read, write and monitor reach exactly the device named by its MAC address.

#include "../modbus/DevsimProcess.h"
#include "CliProcess.h"
#include "TestProfile.h"

#include "app/ConfigurationFile.h"
#include "model/CDevInterface.h"
#include "modbus/CPrivateException.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <chrono>

using cli_test::CliEnvironment;
using cli_test::CliResult;
using cli_test::RunCli;
using modbus_test::DevsimProcess;

namespace {

class CliDirect : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString endpoint = devsim.Endpoint(QStringLiteral("direct"));
        ASSERT_FALSE(endpoint.isEmpty()) << devsim.Output().toStdString();
        qputenv("KORVA_DIRECT_LOOPBACK", endpoint.section(u':', -1).toLatin1());
    }
    void TearDown() override { qunsetenv("KORVA_DIRECT_LOOPBACK"); }

    QString Path(const QString& name) const { return QDir(files.path()).filePath(name); }

    TestProfile profile;
    CliEnvironment environment{profile.Path()};
    QTemporaryDir files;
    DevsimProcess devsim{{"--direct", "127.0.0.1:0", "--devices", "3", "--code", "6014", "--model-text", "VK20C-3RYG"}};
};

std::string Describe(const CliResult& result)
{
    return QStringLiteral("exit %1\nout: %2\nerr: %3").arg(result.exitCode).arg(result.out, result.err).toStdString();
}

} // namespace

TEST_F(CliDirect, DiscoverListsEveryDeviceUntilTheTimeout)
{
    const auto start = std::chrono::steady_clock::now();
    const CliResult text = RunCli({"discover", "--timeout", "1"});
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(text.exitCode, 0) << Describe(text);
    EXPECT_EQ(text.out, QStringLiteral("02:4b:56:00:00:01  127.0.0.1        VK20C-3RYG\n"
                                       "02:4b:56:00:00:02  127.0.0.1        VK20C-3RYG\n"
                                       "02:4b:56:00:00:03  127.0.0.1        VK20C-3RYG\n"));
    EXPECT_GE(took, std::chrono::milliseconds(900));
    EXPECT_LT(took, std::chrono::seconds(3));

    const CliResult json = RunCli({"discover", "--timeout", "0.5", "--json"});
    ASSERT_EQ(json.exitCode, 0) << Describe(json);
    const QJsonArray devices = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(devices.size(), 3);
    EXPECT_EQ(devices[1].toObject(), (QJsonObject{{"mac", "02:4b:56:00:00:02"}, {"address", "127.0.0.1"}, {"model", "VK20C-3RYG"}}));

    for (const char* timeout : {"0", "-1", "soon", "3601"}) {
        const CliResult refused = RunCli({"discover", "--timeout", timeout});
        EXPECT_EQ(refused.exitCode, 2) << timeout;
        EXPECT_TRUE(refused.err.contains(QStringLiteral("--timeout takes"))) << Describe(refused);
    }
}

// Every device answers every broadcast it hears, but only the one whose MAC address a request
// names acts on it.
TEST_F(CliDirect, ReadWriteAndMonitorReachTheNamedDeviceOnly)
{
    ASSERT_EQ(RunCli({"read", "--direct", "02:4b:56:00:00:02", "-o", Path("two.cfg")}).exitCode, 0);
    ASSERT_EQ(RunCli({"set", Path("two.cfg"), "tag=second"}).exitCode, 0);
    const CliResult write = RunCli({"write", Path("two.cfg"), "--direct", "02-4B-56-00-00-02"});
    ASSERT_EQ(write.exitCode, 0) << Describe(write);

    ASSERT_EQ(RunCli({"read", "--direct", "02:4b:56:00:00:01", "-o", Path("one.cfg")}).exitCode, 0);
    ASSERT_EQ(RunCli({"read", "--direct", "02:4b:56:00:00:02", "-o", Path("again.cfg")}).exitCode, 0);
    EXPECT_EQ(LoadConfigurationFile(Path("one.cfg"))->GetParameter(u"tag").GetText(), QStringLiteral("test-tag"));
    EXPECT_EQ(LoadConfigurationFile(Path("again.cfg"))->GetParameter(u"tag").GetText(), QStringLiteral("second"));

    const CliResult monitor = RunCli({"monitor", "--direct", "02:4b:56:00:00:03", "--once", "--json"});
    ASSERT_EQ(monitor.exitCode, 0) << Describe(monitor);
    EXPECT_EQ(QJsonDocument::fromJson(monitor.out.toUtf8()).object().value("lamps").toArray().size(), 3);

    // No device has this address: the request goes unanswered.
    const CliResult nobody = RunCli({"read", "--direct", "02:4b:56:00:00:09", "-o", Path("nobody.cfg")});
    EXPECT_EQ(nobody.exitCode, 1);
    EXPECT_TRUE(nobody.err.contains(CPrivateException("mbio.timeout").ErrorText())) << Describe(nobody);
}
