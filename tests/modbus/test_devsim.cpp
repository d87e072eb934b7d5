// ctest-label: integration
// korva-devsim as the client meets it: the register map of every configurable model over TCP,
// the same device over its pseudo-terminal, each fault it can inject, and its command line.

#include "DevsimProcess.h"
#include "ModbusTestSupport.h"
#include "TestProfile.h"

#include "connection/ComSettings.h"
#include "model/CDevInterface.h"
#include "model/CDevType.h"
#include "modbus/CModbusInterface.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>

using namespace std::chrono_literals;
using namespace modbus_test;

namespace {

QString DecodeModelText(const std::vector<std::uint16_t>& words)
{
    QByteArray bytes;
    for (const std::uint16_t word : words) {
        bytes.append(char(word & 0xFF));
        bytes.append(char(word >> 8));
    }
    return QString::fromUtf8(bytes.left(bytes.indexOf('\0')));
}

class Devsim : public ::testing::Test {
protected:
    void OpenTcp(DevsimProcess& devsim)
    {
        const QString port = devsim.TcpPort();
        ASSERT_FALSE(port.isEmpty()) << devsim.Output().toStdString();
        client.SetComSettings(LoopbackTcpSettings(port));
        client.Open();
    }

    void OpenPty(DevsimProcess& devsim)
    {
        const QString path = devsim.Endpoint(QStringLiteral("pty"));
        ASSERT_FALSE(path.isEmpty()) << devsim.Output().toStdString();
        ComSettings settings;
        settings.Mode = ComSettings::ModeSerial;
        settings.COMPortName = path;
        client.SetComSettings(settings);
        client.Open();
    }

    std::vector<std::uint16_t> Read(std::uint16_t address, std::uint16_t count)
    {
        std::vector<std::uint16_t> values(count);
        client.ReadHoldingRegisters(address, count, values);
        return values;
    }

    TestProfile profile;
    CModbusInterface client;
};

} // namespace

// Each configurable model: the simulator holds every parameter of the model at its default
// value, where the model says the parameter lies.
TEST_F(Devsim, ServesTheRegisterMapOfEveryConfigurableModel)
{
    for (const int row : CDevType::OfferedRows()) {
        const DevTypeEntry& entry = CDevType::Entries()[static_cast<std::size_t>(row)];
        const std::uint32_t firmware = entry.firmwareMinimum ? entry.firmwareMinimum : 0x10000;
        const QString version = QStringLiteral("%1.%2").arg(firmware >> 16).arg(firmware & 0xFFFF);
        SCOPED_TRACE(QString::fromUtf16(entry.modelName).toStdString());
        DevsimProcess devsim({"--tcp", "127.0.0.1:0", "--code", QString::number(entry.modelCode), "--firmware", version});
        OpenTcp(devsim);

        EXPECT_EQ(Read(9600, 1), std::vector<std::uint16_t>{entry.modelCode});
        EXPECT_EQ(Read(9617, 2), (std::vector<std::uint16_t>{std::uint16_t(firmware >> 16), std::uint16_t(firmware)}));
        const auto model = CDevType::Create(row, firmware, ModelUse::Configuration);
        int checked = 0;
        for (int i = 0; i < model->GetCount(); ++i) {
            const CParValue& value = model->GetAt(i).GetValue();
            if (value.GetCount() == 0 || value.GetAddress() == 9617)
                continue;
            const auto words = value.GetWords();
            EXPECT_EQ(Read(value.GetAddress(), value.GetCount()), std::vector<std::uint16_t>(words.begin(), words.end()))
                << model->NameAt(i).toString().toStdString();
            ++checked;
        }
        EXPECT_GT(checked, 0);
        client.Close();
        EXPECT_EQ(devsim.Stop(), 0);
    }
}

TEST_F(Devsim, KeepsWhatIsWrittenAndShowsItsModelText)
{
    DevsimProcess devsim({"--tcp", "127.0.0.1:0", "--pty", "--code", "6014", "--model-text", "VK20C-4RYGB"});
    OpenTcp(devsim);
    EXPECT_EQ(DecodeModelText(Read(9601, 16)), QStringLiteral("VK20C-4RYGB"));
    const std::uint16_t one[] = {1};
    client.WriteMultipleRegisters(1000, 1, one);
    client.WriteSingleCoil(3, true);
    client.WriteSingleCoil(9, true);
    client.Close();

    // The same device behind its pseudo-terminal.
    OpenPty(devsim);
    EXPECT_EQ(Read(1000, 1), std::vector<std::uint16_t>{1});
    std::uint8_t coils[2] = {};
    client.ReadCoils(0, 16, coils);
    EXPECT_EQ(coils[0], 0x08);
    EXPECT_EQ(coils[1], 0x02);
    std::uint8_t inputs[2] = {0xFF, 0xFF};
    client.ReadDiscreteInputs(0, 16, inputs);
    EXPECT_EQ(inputs[0] | inputs[1], 0);
    client.Close();

    EXPECT_EQ(devsim.Stop(SIGINT), 0);
}

// Each fault, set on one request or on every N-th, drives the client into the failure it was
// made for; where it hits one request only, the retry succeeds.
TEST_F(Devsim, InjectedFaultsReachTheClientAsTheirErrors)
{
    struct Row {
        const char* fault;
        bool serial;
        QStringList failures;
        QString detail; // the final error; empty when the read succeeds in the end
    };
    const std::vector<Row> rows = {
        {"exception:2", false, QStringList(3, "Exception 2\n"), ExceptionDetail(2)},
        {"txid@1", false, {"Invalid transaction\n"}, {}},
        {"short@1", false, {"Invalid response\n"}, {}},
        {"garbage@1", false, {"Invalid transaction\n"}, {}},
        {"split:30", false, {}, {}},
        {"delay:300", false, {}, {}},
        {"silence@1", true, {"Timeout\n"}, {}},
        {"badcrc@1", true, {"CRC error\n"}, {}},
        {"garbage@1", true, {"CRC error\n"}, {}},
        {"split:5", true, {}, {}},
        {"exception:4%2", true, {"Exception 4\n"}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.fault) + (row.serial ? " on the pty" : " on TCP"));
        DevsimProcess devsim({"--tcp", "127.0.0.1:0", "--pty", "--code", "6001", "--fault", row.fault});
        if (row.serial)
            OpenPty(devsim);
        else
            OpenTcp(devsim);
        TraceRecorder trace;
        std::vector<std::uint16_t> values;
        QString error = ErrorOf([&] { values = Read(9600, 1); });
        // An every-N-th fault: the first read is clean, the second one's first attempt is hit.
        if (QString::fromLatin1(row.fault).contains(u'%')) {
            EXPECT_EQ(error, QStringLiteral("(no error)"));
            error = ErrorOf([&] { values = Read(9600, 1); });
        }

        if (row.detail.isEmpty()) {
            EXPECT_EQ(error, QStringLiteral("(no error)"));
            EXPECT_EQ(values, std::vector<std::uint16_t>{6001});
        } else {
            EXPECT_EQ(error, TransactionError("ReadHoldingRegister", 9601, 1, row.detail));
        }
        EXPECT_EQ(trace.Failures(), row.failures);
        client.Close();
    }
}

TEST_F(Devsim, AClosedConnectionFailsUntilTheClientOpensAgain)
{
    DevsimProcess devsim({"--tcp", "127.0.0.1:0", "--fault", "close@1"});
    OpenTcp(devsim);
    EXPECT_EQ(ErrorOf([&] { Read(9600, 1); }), TransactionError("ReadHoldingRegister", 9601, 1, Detail("mbio.timeout")));
    client.Open();
    EXPECT_EQ(Read(9600, 1), std::vector<std::uint16_t>{6001});
}

TEST_F(Devsim, TheCommandLineIsCheckedAndDocumented)
{
    const QString program = QStringLiteral(KORVA_PROGRAM_DIR "/korva-devsim");
    ChildProcess help(program, {"--help"});
    EXPECT_EQ(help.WaitForExit(), 0);
    const QString text = help.Output();
    for (const char* option : {"--tcp", "--pty", "--tty", "--code", "--firmware", "--model-text", "--fault", "silence",
                               "delay", "txid", "exception", "short", "badcrc", "split", "close", "garbage"})
        EXPECT_TRUE(text.contains(QLatin1String(option))) << option;

    for (const QStringList& wrong : {QStringList{}, QStringList{"--tcp", "127.0.0.1:0", "--fault", "sometimes"},
                                     QStringList{"--tcp", "127.0.0.1:0", "--firmware", "1"},
                                     QStringList{"--tcp", "nowhere:0"}}) {
        ChildProcess devsim(program, wrong);
        const int code = devsim.WaitForExit();
        EXPECT_NE(code, 0) << wrong.join(u' ').toStdString();
        EXPECT_NE(code, -1) << "it did not end by itself";
        EXPECT_TRUE(devsim.Output().contains(QLatin1String("korva-devsim: "))) << devsim.Output().toStdString();
    }
}
