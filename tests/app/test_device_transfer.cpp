// ctest-label: integration
// The device read and write against korva-devsim over TCP: which model a read yields, what a
// write sends and in which order, the identity test that keeps a write off the wrong device,
// cancellation, and failures reported with the client's message.

#include "DevsimRequestLog.h"
#include "TestProfile.h"
#include "../modbus/ModbusTestSupport.h"

#include "app/CReadDeviceTask.h"
#include "app/CWriteDeviceTask.h"
#include "app/ModelChoice.h"
#include "model/CDevInterface.h"
#include "model/CDevType.h"
#include "modbus/CModbusInterface.h"
#include "modbus/CPrivateException.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;
using app_test::DevsimRequest;
using app_test::ServedRequests;
using app_test::WritesAmong;
using modbus_test::DevsimProcess;
using modbus_test::LoopbackTcpSettings;
using Outcome = CDeviceTask::Outcome;

namespace {

class DeviceTransfer : public ::testing::Test {
protected:
    // A simulated device on a free loopback port, reporting every request.
    std::unique_ptr<DevsimProcess> StartDevice(const QString& code, const QString& firmware = QStringLiteral("1.0"),
                                               const QStringList& extra = {})
    {
        auto devsim = std::make_unique<DevsimProcess>(
            QStringList{"--tcp", "127.0.0.1:0", "--verbose", "--code", code, "--firmware", firmware} + extra);
        const QString port = devsim->TcpPort();
        EXPECT_FALSE(port.isEmpty()) << devsim->Output().toStdString();
        client.SetComSettings(LoopbackTcpSettings(port));
        return devsim;
    }

    std::shared_ptr<CDevInterface> ReadDevice()
    {
        CReadDeviceTask task(client);
        EXPECT_EQ(task.Run({}), Outcome::Completed) << task.GetErrorText().toStdString();
        return task.GetResult();
    }

    TestProfile profile;
    CModbusInterface client;
};

std::vector<std::uint16_t> WordsOf(const CParInterface& parameter)
{
    const auto words = parameter.GetValue().GetWords();
    return {words.begin(), words.end()};
}

} // namespace

TEST_F(DeviceTransfer, ReadYieldsTheModelOfCodeAndFirmware)
{
    struct Row {
        const char* code;
        const char* firmware;
        const char16_t* section;
        int choice;
    };
    const Row rows[] = {
        {"4013", "1.0", u"VK20B", 2},
        {"4013", "1.1", u"VK20B_2", 3},
        {"6001", "2.7", u"VK20E", 0},
        {"5114", "1.0", u"VK20CF", 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.code) + " " + row.firmware);
        auto devsim = StartDevice(QString::fromLatin1(row.code), QString::fromLatin1(row.firmware));
        const auto set = ReadDevice();
        ASSERT_TRUE(set);
        EXPECT_EQ(QString::fromUtf16(set->GetSection()), QString::fromUtf16(row.section));
        EXPECT_EQ(set->GetModelCode(), QString::fromLatin1(row.code).toUInt());
        EXPECT_EQ(FindModelChoice(*set), row.choice);
    }
}

// Every parameter is read with its own request, in table order, after the identity.
TEST_F(DeviceTransfer, ReadTakesEachParameterFromTheDevice)
{
    auto devsim = StartDevice(QStringLiteral("6014"));
    client.Open();
    const std::uint16_t tag[] = {0x6261, 0x0063}; // "abc"
    client.WriteMultipleRegisters(9628, 2, tag);
    const std::uint16_t panId[] = {0x1234};
    client.WriteMultipleRegisters(1200, 1, panId);
    client.Close();

    std::vector<double> progress;
    CReadDeviceTask task(client);
    ASSERT_EQ(task.Run({[&](double fraction) { progress.push_back(fraction); }, {}}), Outcome::Completed);
    const auto set = task.GetResult();
    EXPECT_EQ(set->GetParameter(u"tag").GetText(), QStringLiteral("abc"));
    EXPECT_EQ(set->GetParameter(u"panid").GetText(), QStringLiteral("1234"));

    std::vector<std::uint16_t> expected = {9600, 9617};
    for (int i = 0; i < set->GetCount(); ++i)
        if (set->GetAt(i).GetValue().GetCount() > 0)
            expected.push_back(set->GetAt(i).GetValue().GetAddress());
    std::vector<std::uint16_t> served;
    for (const DevsimRequest& request : ServedRequests(*devsim))
        if (request.function == 3)
            served.push_back(request.address);
    EXPECT_EQ(std::vector<std::uint16_t>(served.end() - static_cast<std::ptrdiff_t>(expected.size()), served.end()), expected);
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 1.0);
}

TEST_F(DeviceTransfer, ReadOfAnUnknownDeviceFailsWithItsModelCode)
{
    // VK20B ends at firmware 1.0 and VK20B_2 starts at 4013: 6003 with 1.1 has no model.
    auto devsim = StartDevice(QStringLiteral("6003"), QStringLiteral("1.1"));
    CReadDeviceTask task(client);
    EXPECT_EQ(task.Run({}), Outcome::Failed);
    EXPECT_EQ(task.GetErrorText(), CPrivateException("unknowndev", 6003).ErrorText());
    EXPECT_TRUE(task.GetError());
    EXPECT_FALSE(task.GetResult());
}

// The write sends register 1000 = 1, every parameter in table order, then 1000 = 0; reading the
// device again gives the values written.
TEST_F(DeviceTransfer, WriteFramesTheParametersWithTheWriteModeRegister)
{
    auto devsim = StartDevice(QStringLiteral("6014"));
    const auto set = ReadDevice();
    ASSERT_TRUE(set);
    set->GetParameter(u"tag").SetText(QStringLiteral("pump-7"));
    set->GetParameter(u"panid").SetText(QStringLiteral("BEEF"));
    set->GetParameter(u"fixroute").SetValue(1);

    std::vector<double> progress;
    CWriteDeviceTask task(client, set);
    ASSERT_EQ(task.Run({[&](double fraction) { progress.push_back(fraction); }, {}}), Outcome::Completed)
        << task.GetErrorText().toStdString();

    const auto writes = WritesAmong(ServedRequests(*devsim));
    std::vector<DevsimRequest> expected = {{16, 1000, {1}}};
    for (int i = 0; i < set->GetCount(); ++i)
        if (set->GetAt(i).GetValue().GetCount() > 0)
            expected.push_back({16, set->GetAt(i).GetValue().GetAddress(), WordsOf(set->GetAt(i))});
    expected.push_back({16, 1000, {0}});
    ASSERT_EQ(writes.size(), expected.size());
    for (std::size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].address, expected[i].address) << i;
        EXPECT_EQ(writes[i].words, expected[i].words) << i;
    }
    EXPECT_EQ(progress.back(), 1.0);

    const auto again = ReadDevice();
    ASSERT_TRUE(again);
    for (int i = 0; i < set->GetCount(); ++i)
        EXPECT_EQ(WordsOf(again->GetAt(i)), WordsOf(set->GetAt(i))) << set->NameAt(i).toString().toStdString();
}

// Only the last and the hundreds digit of the model code, and the set's firmware range, decide.
TEST_F(DeviceTransfer, WriteRefusesADeviceOfAnotherFamilyBeforeWritingAnything)
{
    struct Row {
        int setRow; // registry row of the set written
        const char* code;
        const char* firmware;
        bool accepted;
    };
    const Row rows[] = {
        {18, "5114", "1.0", false}, // VK20C set, VK20CF device: the hundreds digit differs
        {18, "4014", "1.0", true},  // VK20C of another series
        {18, "6013", "1.0", false}, // another last digit
        {2, "4013", "1.1", false},  // VK20B set ends at firmware 1.0
        {15, "6013", "3.2", true},  // VK20B_2 takes every later firmware
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.code) + " " + row.firmware);
        auto devsim = StartDevice(QString::fromLatin1(row.code), QString::fromLatin1(row.firmware));
        CWriteDeviceTask task(client, CDevType::Create(row.setRow, 0, ModelUse::Configuration));
        const Outcome outcome = task.Run({});
        const auto writes = WritesAmong(ServedRequests(*devsim));
        if (row.accepted) {
            EXPECT_EQ(outcome, Outcome::Completed) << task.GetErrorText().toStdString();
            EXPECT_FALSE(writes.empty());
        } else {
            EXPECT_EQ(outcome, Outcome::Failed);
            EXPECT_EQ(task.GetErrorText(), CPrivateException("diffdev").ErrorText());
            EXPECT_TRUE(writes.empty());
        }
    }
}

// A cancelled write stops before the next parameter, reports nothing and leaves register 1000
// at 1; a cancelled read hands back no set.
TEST_F(DeviceTransfer, CancelStopsBetweenParametersWithoutAnError)
{
    auto devsim = StartDevice(QStringLiteral("6014"));
    int steps = 0;
    const DeviceTaskControl cancelAfterThree{[&](double) { ++steps; }, [&] { return steps >= 3; }};

    CWriteDeviceTask write(client, CDevType::Create(18, 0, ModelUse::Configuration));
    EXPECT_EQ(write.Run(cancelAfterThree), Outcome::Cancelled);
    EXPECT_TRUE(write.GetErrorText().isEmpty());
    EXPECT_FALSE(write.GetError());
    const auto writes = WritesAmong(ServedRequests(*devsim));
    ASSERT_EQ(writes.size(), 4u); // 1000 = 1, then three parameters
    EXPECT_EQ(writes.front().address, 1000);
    EXPECT_NE(writes.back().address, 1000);

    client.Open();
    std::uint16_t mode[1] = {};
    client.ReadHoldingRegisters(1000, 1, mode);
    client.Close();
    EXPECT_EQ(mode[0], 1);

    steps = 0;
    CReadDeviceTask read(client);
    EXPECT_EQ(read.Run(cancelAfterThree), Outcome::Cancelled);
    EXPECT_FALSE(read.GetResult());
    EXPECT_EQ(steps, 3);
}

// The caller's Cancel ends a transaction that waits for a slow answer at once.
TEST_F(DeviceTransfer, CancelEndsAWaitingTransactionAtOnce)
{
    auto devsim = StartDevice(QStringLiteral("6001"), QStringLiteral("1.0"), {"--fault", "delay:3000@3"});
    std::atomic<bool> cancel{false};
    CReadDeviceTask task(client);
    Outcome outcome = Outcome::NotRun;
    const auto start = std::chrono::steady_clock::now();
    std::thread worker([&] { outcome = task.Run({{}, [&] { return cancel.load(); }}); });
    std::this_thread::sleep_for(300ms);
    cancel = true;
    client.Cancel();
    worker.join();
    EXPECT_EQ(outcome, Outcome::Cancelled);
    EXPECT_TRUE(task.GetErrorText().isEmpty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2500ms);
}

// A failure is kept with the client's own message; the client is closed again.
TEST_F(DeviceTransfer, FailuresKeepTheClientsMessage)
{
    auto devsim = StartDevice(QStringLiteral("6001"), QStringLiteral("1.0"), {"--fault", "exception:4%1"});
    CReadDeviceTask read(client);
    EXPECT_EQ(read.Run({}), Outcome::Failed);
    EXPECT_TRUE(read.GetErrorText().contains(CPrivateException("mbio.exception", 4).ErrorText()))
        << read.GetErrorText().toStdString();
    CWriteDeviceTask write(client, CDevType::Create(0, 0, ModelUse::Configuration));
    EXPECT_EQ(write.Run({}), Outcome::Failed);
    EXPECT_TRUE(WritesAmong(ServedRequests(*devsim)).empty());

    // Nobody listens on the port any more: the open itself fails.
    EXPECT_EQ(devsim->Stop(), 0);
    CReadDeviceTask closed(client);
    EXPECT_EQ(closed.Run({}), Outcome::Failed);
    EXPECT_FALSE(closed.GetErrorText().isEmpty());
}
