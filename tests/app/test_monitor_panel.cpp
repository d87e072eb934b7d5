// ctest-label: unit
// The monitor's lamp panel worked out from a poll's snapshot: lamp count and colours from the
// model text, on/blink/off from the coils, the blink timing, the two-colour fourth lamp, the
// input panel and the command lock.

#include "app/CMonitorPanel.h"
#include "model/CDevInterface.h"
#include "model/CDevType.h"

#include <gtest/gtest.h>

#include <array>

namespace {

// A successful poll of a device with `code` whose model text is `modelText`.
MonitorSnapshot Polled(std::uint16_t code, const QString& modelText, MonitorDeviceValues values = {})
{
    MonitorSnapshot snapshot;
    snapshot.state = MonitorOk;
    snapshot.model = CDevType::CreateFor(code, 0x10000, ModelUse::Monitor);
    snapshot.model->GetParameter(u"model").SetText(modelText);
    snapshot.values = values;
    return snapshot;
}

MonitorDeviceValues Coils(std::uint16_t coils, std::uint16_t status = 0)
{
    MonitorDeviceValues values;
    values.coils = coils;
    values.status = status;
    return values;
}

} // namespace

TEST(MonitorPanel, LampCountAndColoursComeFromTheModelText)
{
    struct Row {
        const char* text;
        int count;
        std::array<int, 5> colours;
    };
    const Row rows[] = {
        {"VK20C-3RYG", 3, {LampRed, LampAmber, LampGreen, LampUnknown, LampUnknown}},
        {"VK20C-4RYGNB", 4, {LampRed, LampAmber, LampGreen, LampNone, LampBlue}},
        {"VK20C-5WBXGR", 5, {LampWhite, LampBlue, LampUnknown, LampGreen, LampRed}},
        {"VK20C", 0, {LampUnknown, LampUnknown, LampUnknown, LampUnknown, LampUnknown}},
        {"VK20C-9RY", 0, {LampRed, LampAmber, LampUnknown, LampUnknown, LampUnknown}},
        {"A-2R-B", 2, {LampRed, LampUnknown, LampBlue, LampUnknown, LampUnknown}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const CMonitorPanel panel(Polled(6014, QString::fromLatin1(row.text)));
        EXPECT_EQ(panel.GetLampCount(), row.count);
        for (int lamp = 0; lamp < 5; ++lamp)
            EXPECT_EQ(panel.GetLampColour(lamp), row.colours[static_cast<std::size_t>(lamp)]) << lamp;
    }
}

TEST(MonitorPanel, BeforeAnyPollThereAreNoLampsAndNoCommands)
{
    MonitorSnapshot failed;
    failed.state = MonitorFailed;
    const CMonitorPanel panel(failed);
    EXPECT_EQ(panel.GetLampCount(), 0);
    for (int lamp = 0; lamp < 5; ++lamp) {
        EXPECT_EQ(panel.GetLampColour(lamp), LampNone);
        EXPECT_FALSE(panel.IsLampRowEnabled(lamp, true));
    }
    // The buzzer buttons follow the command switch alone.
    EXPECT_TRUE(panel.AreCommandsAllowed(true));
    EXPECT_FALSE(panel.AreCommandsAllowed(false));
    EXPECT_STREQ(panel.StatusMessageKey(), "mon.err");
}

TEST(MonitorPanel, CoilsGiveOnBlinkAndOff)
{
    // Coil 0 on, coil 9 blink, coil 2 and its blink coil 10 both: steady wins; coil 13 blinks the
    // buzzer.
    const CMonitorPanel panel(Polled(6014, QStringLiteral("VK20C-4RYGB"), Coils(0b0010'0110'0000'0101)));
    EXPECT_EQ(panel.GetLampMode(0), OutputMode::On);
    EXPECT_EQ(panel.GetLampMode(1), OutputMode::Blink);
    EXPECT_EQ(panel.GetLampMode(2), OutputMode::On);
    EXPECT_EQ(panel.GetLampMode(3), OutputMode::Off);
    EXPECT_EQ(panel.GetBuzzerMode(), OutputMode::Blink);
    EXPECT_FALSE(panel.IsLampBlinkFast());
}

// Coil 8 with bit 0 of register 25502 clear: lamp 1 dark for four ticks, lit for four; with the
// bit set it changes every tick. The buzzer follows bit 1.
TEST(MonitorPanel, BlinkTimingFollowsTheStatusRegister)
{
    const auto litTicks = [](const CMonitorPanel& panel, int bit) {
        std::string ticks;
        for (int tick = 0; tick < CMonitorPanel::kTicksPerCycle; ++tick)
            ticks += (panel.EffectiveOutputs(tick) >> bit) & 1 ? '#' : '.';
        return ticks;
    };
    const CMonitorPanel slow(Polled(6014, QStringLiteral("VK20C-4RYGB"), Coils(1 << 8 | 1 << 13, 0x02)));
    EXPECT_EQ(litTicks(slow, 0), "....####");
    EXPECT_EQ(litTicks(slow, 5), ".#.#.#.#");
    const CMonitorPanel fast(Polled(6014, QStringLiteral("VK20C-4RYGB"), Coils(1 << 8, 0x01)));
    EXPECT_EQ(litTicks(fast, 0), ".#.#.#.#");
}

TEST(MonitorPanel, TheFourthLampCanShowASecondColourAndBoth)
{
    const auto shownFourth = [](const char* text, std::uint16_t coils) {
        return CMonitorPanel(Polled(6014, QString::fromLatin1(text), Coils(coils))).ShownColours(0)[3];
    };
    EXPECT_EQ(shownFourth("VK20C-4RYGRB", 1 << 3), LampRed);
    EXPECT_EQ(shownFourth("VK20C-4RYGRB", 1 << 4), LampBlue);
    EXPECT_EQ(shownFourth("VK20C-4RYGRB", 1 << 3 | 1 << 4), LampPattern);
    EXPECT_EQ(shownFourth("VK20C-4RYGNB", 1 << 4), LampBlue);
    EXPECT_EQ(shownFourth("VK20C-4RYGNB", 1 << 3), LampNone);
    // Without a fifth colour, coil 4 lights nothing on a four-lamp device.
    EXPECT_EQ(shownFourth("VK20C-4RYGBN", 1 << 4), LampNone);

    const CMonitorPanel panel(Polled(6014, QStringLiteral("VK20C-4RYGNB")));
    EXPECT_TRUE(panel.HasTwoColourFourthLamp());
    EXPECT_FALSE(panel.IsLampRowEnabled(3, true));
    EXPECT_TRUE(panel.IsLampRowEnabled(4, true));
    // Lamps beyond the count are never lit, whatever their coils.
    const CMonitorPanel three(Polled(6014, QStringLiteral("VK20C-3RYG"), Coils(0x1F)));
    EXPECT_EQ(three.ShownColours(0), (std::array<int, 5>{LampRed, LampAmber, LampGreen, LampNone, LampNone}));
    EXPECT_TRUE(three.IsLampRowEnabled(4, true));
}

TEST(MonitorPanel, InputsAndTheCommandLockBelongToDevicesWithInputs)
{
    MonitorDeviceValues values = Coils(0, 0x80);
    values.inputs = 0b0010'0000'0010'0001;
    const CMonitorPanel wireless(Polled(6014, QStringLiteral("VK20C-4RYGB"), values));
    EXPECT_TRUE(wireless.IsInputPanelEnabled());
    EXPECT_TRUE(wireless.GetInput(0));
    EXPECT_TRUE(wireless.GetInput(5));
    EXPECT_TRUE(wireless.GetInput(13));
    EXPECT_FALSE(wireless.GetInput(8));
    EXPECT_FALSE(wireless.AreCommandsAllowed(true));

    const CMonitorPanel wired(Polled(6001, QStringLiteral("VK20E-3RYG"), Coils(0, 0x80)));
    EXPECT_FALSE(wired.IsInputPanelEnabled());
    EXPECT_TRUE(wired.AreCommandsAllowed(true));
}

TEST(MonitorPanel, LampTextsAndColoursComeFromTheLanguageAndTheColourTable)
{
    EXPECT_EQ(CMonitorPanel::LampText(0, LampRed), QStringLiteral("Lamp 1: Red"));
    EXPECT_EQ(CMonitorPanel::LampText(4, LampNone), QStringLiteral("Lamp 5: None"));
    EXPECT_EQ(CMonitorPanel::ColourRgb(LampAmber), (LampRgb{255, 200, 0}));
    EXPECT_EQ(CMonitorPanel::ColourRgb(LampUnknown), (LampRgb{255, 0, 255}));
}
