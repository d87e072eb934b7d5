// ctest-label: integration
// The monitor's poll against korva-devsim: the monitor-side model with its status values, the
// coils, status registers and inputs behind the lamp panel, the devices' own conventions (no
// signal, swapped MAC bytes), an unknown device, a failure after a success, and the stop.

#include "DevsimRequestLog.h"
#include "TestProfile.h"
#include "../modbus/ModbusTestSupport.h"

#include "app/CMonitorPanel.h"
#include "app/CMonitorPoll.h"
#include "model/CDevInterface.h"
#include "modbus/CModbusInterface.h"
#include "modbus/CPrivateException.h"

#include <gtest/gtest.h>

#include <algorithm>

using app_test::ServedRequests;
using modbus_test::DevsimProcess;
using modbus_test::LoopbackTcpSettings;

namespace {

class MonitorPoll : public ::testing::Test {
protected:
    std::unique_ptr<DevsimProcess> StartDevice(const QStringList& arguments)
    {
        auto devsim = std::make_unique<DevsimProcess>(QStringList{"--tcp", "127.0.0.1:0", "--verbose"} + arguments);
        const QString port = devsim->TcpPort();
        EXPECT_FALSE(port.isEmpty()) << devsim->Output().toStdString();
        client.SetComSettings(LoopbackTcpSettings(port));
        return devsim;
    }

    void WriteRegister(std::uint16_t address, std::uint16_t value)
    {
        client.Open();
        const std::uint16_t words[] = {value};
        client.WriteMultipleRegisters(address, 1, words);
        client.Close();
    }

    TestProfile profile;
    CModbusInterface client;
};

} // namespace

TEST_F(MonitorPoll, ReadsTheMonitorModelAndThePanelValues)
{
    auto devsim = StartDevice({"--code", "6014", "--model-text", "VK20C-4RYGB"});
    client.Open();
    client.WriteSingleCoil(1, true);
    client.WriteSingleCoil(10, true);
    client.Close();
    WriteRegister(25502, 0x0003);
    WriteRegister(1160, 42); // frames sent on RS-485

    CMonitorPoll poll(client);
    EXPECT_EQ(poll.GetSnapshot().state, MonitorWaiting);
    poll.PollTask();
    const MonitorSnapshot snapshot = poll.GetSnapshot();
    ASSERT_EQ(snapshot.state, MonitorOk) << snapshot.errorText.toStdString();
    ASSERT_TRUE(snapshot.model);
    EXPECT_EQ(snapshot.model->GetCount(), 22); // the VK20C monitor table
    EXPECT_EQ(snapshot.model->GetParameter(u"model").GetText(), QStringLiteral("VK20C-4RYGB"));
    EXPECT_EQ(snapshot.model->GetParameter(u"firmver").GetText(), QStringLiteral("1.0.0"));
    EXPECT_EQ(snapshot.model->GetParameter(u"tx485ok").GetText(), QStringLiteral("42"));
    EXPECT_EQ(snapshot.values.coils, (1 << 1) | (1 << 10));
    EXPECT_EQ(snapshot.values.status, 0x0003);

    const CMonitorPanel panel(snapshot);
    EXPECT_EQ(panel.GetLampCount(), 4);
    EXPECT_EQ(panel.GetLampMode(1), OutputMode::On);
    EXPECT_EQ(panel.GetLampMode(2), OutputMode::Blink);
    EXPECT_TRUE(panel.IsLampBlinkFast());
    EXPECT_TRUE(panel.IsInputPanelEnabled());

    // The merged register blocks are read one request each, far fewer than the parameters.
    const auto requests = ServedRequests(*devsim);
    const auto holdingReads = std::count_if(requests.begin(), requests.end(), [](const auto& r) { return r.function == 3; });
    EXPECT_LT(holdingReads, 16);
    EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [](const auto& r) { return r.function == 2; }));
}

// Wired devices have no signal strength to show, and one model sends its MAC bytes swapped;
// devices without inputs are never asked for them.
TEST_F(MonitorPoll, UndoesTheDevicesOwnConventions)
{
    {
        auto devsim = StartDevice({"--code", "6001"});
        WriteRegister(9644, 55);
        CMonitorPoll poll(client);
        poll.PollTask();
        const MonitorSnapshot snapshot = poll.GetSnapshot();
        ASSERT_EQ(snapshot.state, MonitorOk) << snapshot.errorText.toStdString();
        const int rssi = snapshot.model->IndexOf(u"rssi");
        EXPECT_TRUE(snapshot.model->GetDisplayText(rssi, snapshot.model->GetAt(rssi).GetText()).isEmpty());
        const auto requests = ServedRequests(*devsim);
        EXPECT_TRUE(std::none_of(requests.begin(), requests.end(), [](const auto& r) { return r.function == 2; }));
    }
    {
        auto devsim = StartDevice({"--code", "6002"});
        WriteRegister(1001, 0x1122);
        WriteRegister(1002, 0x3344);
        WriteRegister(1003, 0x5566);
        WriteRegister(9644, static_cast<std::uint16_t>(-61));
        CMonitorPoll poll(client);
        poll.PollTask();
        const MonitorSnapshot snapshot = poll.GetSnapshot();
        ASSERT_EQ(snapshot.state, MonitorOk) << snapshot.errorText.toStdString();
        EXPECT_EQ(snapshot.model->GetParameter(u"mac").GetText(), QStringLiteral("22:11:44:33:66:55"));
        EXPECT_EQ(snapshot.model->GetParameter(u"rssi").GetText(), QStringLiteral("-61"));
    }
}

TEST_F(MonitorPoll, AnUnknownDeviceFailsThePollQuietly)
{
    auto devsim = StartDevice({"--code", "7777"});
    CMonitorPoll poll(client);
    EXPECT_NO_THROW(poll.PollTask());
    const MonitorSnapshot snapshot = poll.GetSnapshot();
    EXPECT_EQ(snapshot.state, MonitorFailed);
    EXPECT_EQ(snapshot.errorText, CPrivateException("unknowndev", 7777).ErrorText());
    EXPECT_FALSE(snapshot.model);
}

// A failed poll keeps the last model (and so the lamp layout) but clears the device values.
TEST_F(MonitorPoll, AFailureAfterASuccessKeepsTheModelAndDarkensThePanel)
{
    auto devsim = StartDevice({"--code", "6014", "--model-text", "VK20C-3RYG"});
    client.Open();
    client.WriteSingleCoil(0, true);
    client.Close();
    CMonitorPoll poll(client);
    poll.PollTask();
    const auto model = poll.GetSnapshot().model;
    ASSERT_TRUE(model);
    EXPECT_EQ(poll.GetSnapshot().values.coils, 1);

    EXPECT_EQ(devsim->Stop(), 0);
    poll.PollTask();
    const MonitorSnapshot failed = poll.GetSnapshot();
    EXPECT_EQ(failed.state, MonitorFailed);
    EXPECT_FALSE(failed.errorText.isEmpty());
    EXPECT_EQ(failed.model, model);
    EXPECT_EQ(failed.values.coils, 0);
    const CMonitorPanel panel(failed);
    EXPECT_EQ(panel.GetLampCount(), 3);
    EXPECT_EQ(panel.ShownColours(0)[0], LampNone);
}

TEST_F(MonitorPoll, AStoppedPollLeavesTheStateAsItWas)
{
    auto devsim = StartDevice({"--code", "6014"});
    CMonitorPoll poll(client);
    poll.Stop();
    EXPECT_TRUE(poll.IsStopped());
    poll.PollTask();
    EXPECT_EQ(poll.GetSnapshot().state, MonitorWaiting);
    EXPECT_TRUE(poll.GetSnapshot().errorText.isEmpty());
    EXPECT_TRUE(ServedRequests(*devsim).empty());
}
