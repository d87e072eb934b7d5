#include "app/CMonitorPanel.h"

#include "app/CResourceDatabase.h"
#include "model/CDevInterface.h"

namespace {

constexpr std::array<LampRgb, 7> kColours = {{
    {255, 0, 0},     // red
    {255, 200, 0},   // amber
    {0, 255, 0},     // green
    {0, 0, 255},     // blue
    {255, 255, 255}, // white
    {255, 0, 255},   // unknown letter
    {0, 0, 0},       // none, dark
}};

// Coil k lights lamp k + 1; coil 8 + k makes it blink. Coils 5 and 13 do the same for the buzzer.
constexpr int kBlinkCoilOffset = 8;
constexpr int kBuzzerCoil = 5;
// Bit 7 of register 25502: the device refuses commands now.
constexpr std::uint16_t kCommandLock = 0x80;

bool Bit(std::uint16_t word, int bit)
{
    return (word >> bit) & 1;
}

// Blink phase at `tick`: one tick on and off when fast, four otherwise.
bool BlinkPhase(int tick, bool fast)
{
    return (tick / (fast ? 1 : 4)) % 2 == 1;
}

OutputMode ModeOf(std::uint16_t coils, int steadyCoil)
{
    if (Bit(coils, steadyCoil))
        return OutputMode::On;
    if (Bit(coils, steadyCoil + kBlinkCoilOffset))
        return OutputMode::Blink;
    return OutputMode::Off;
}

} // namespace

CMonitorPanel::CMonitorPanel(const MonitorSnapshot& snapshot)
    : m_state(snapshot.state), m_values(snapshot.values)
{
    if (snapshot.state == MonitorOk && snapshot.model)
        m_activeCode = snapshot.model->GetModelCode();
    if (!snapshot.model)
        return;
    // "VK20C-4RYGB": the count after the first '-', then one colour letter per lamp.
    const QString text = snapshot.model->GetParameter(u"model").GetText();
    const qsizetype dash = text.indexOf(u'-');
    for (int lamp = 0; lamp < kLampCount; ++lamp) {
        const qsizetype position = dash + 2 + lamp;
        m_colours[static_cast<std::size_t>(lamp)] =
            dash >= 0 && position < text.size() ? ColourOfLetter(text[position]) : LampUnknown;
    }
    if (dash >= 0 && dash + 1 < text.size()) {
        const QChar digit = text[dash + 1];
        if (digit >= u'1' && digit <= u'5')
            m_lampCount = digit.unicode() - u'0';
    }
}

bool CMonitorPanel::HasInputs(std::uint16_t modelCode)
{
    const int family = modelCode % 10;
    return family == 2 || family == 3 || family == 4;
}

LampRgb CMonitorPanel::ColourRgb(int colour)
{
    if (colour < 0 || colour >= static_cast<int>(kColours.size()))
        return kColours[LampNone];
    return kColours[static_cast<std::size_t>(colour)];
}

int CMonitorPanel::ColourOfLetter(QChar letter)
{
    switch (letter.unicode()) {
    case u'R': return LampRed;
    case u'Y': return LampAmber;
    case u'G': return LampGreen;
    case u'B': return LampBlue;
    case u'W': return LampWhite;
    case u'N': return LampNone;
    default: return LampUnknown;
    }
}

int CMonitorPanel::GetLampColour(int lamp) const
{
    return lamp >= 0 && lamp < kLampCount ? m_colours[static_cast<std::size_t>(lamp)] : LampNone;
}

bool CMonitorPanel::HasTwoColourFourthLamp() const
{
    return m_lampCount == 4 && m_colours[4] != LampNone;
}

QString CMonitorPanel::LampText(int lamp, int colour)
{
    const CResourceDatabase& database = CResourceDatabase::Instance();
    return database.GetMessageText(QStringLiteral("lamp%1").arg(lamp))
        + database.GetMessageText(QStringLiteral("color%1").arg(colour));
}

OutputMode CMonitorPanel::GetLampMode(int lamp) const
{
    if (lamp < 0 || lamp >= kLampCount)
        return OutputMode::Off;
    return ModeOf(m_values.coils, lamp);
}

OutputMode CMonitorPanel::GetBuzzerMode() const
{
    return ModeOf(m_values.coils, kBuzzerCoil);
}

bool CMonitorPanel::GetInput(int input) const
{
    return input >= 0 && input < 16 && Bit(m_values.inputs, input);
}

bool CMonitorPanel::AreCommandsAllowed(bool commandSwitch) const
{
    return commandSwitch && !((m_values.status & kCommandLock) && HasInputs(m_activeCode));
}

bool CMonitorPanel::IsLampRowEnabled(int lamp, bool commandSwitch) const
{
    return AreCommandsAllowed(commandSwitch) && GetLampColour(lamp) != LampNone;
}

std::uint8_t CMonitorPanel::EffectiveOutputs(int tick) const
{
    const bool lampPhase = BlinkPhase(tick, IsLampBlinkFast());
    const bool buzzerPhase = BlinkPhase(tick, IsBuzzerBlinkFast());
    std::uint8_t outputs = 0;
    for (int lamp = 0; lamp < kLampCount; ++lamp) {
        if (Bit(m_values.coils, lamp) || (lampPhase && Bit(m_values.coils, lamp + kBlinkCoilOffset)))
            outputs |= static_cast<std::uint8_t>(1 << lamp);
    }
    if (Bit(m_values.coils, kBuzzerCoil) || (buzzerPhase && Bit(m_values.coils, kBuzzerCoil + kBlinkCoilOffset)))
        outputs |= 1 << kBuzzerCoil;
    return outputs;
}

std::array<int, CMonitorPanel::kLampCount> CMonitorPanel::ShownColours(int tick) const
{
    const std::uint8_t outputs = EffectiveOutputs(tick);
    std::array<int, kLampCount> shown{LampNone, LampNone, LampNone, LampNone, LampNone};
    for (int lamp = 0; lamp < m_lampCount; ++lamp) {
        if (Bit(outputs, lamp))
            shown[static_cast<std::size_t>(lamp)] = m_colours[static_cast<std::size_t>(lamp)];
    }
    if (HasTwoColourFourthLamp() && Bit(outputs, 4))
        shown[3] = shown[3] == LampNone ? m_colours[4] : LampPattern;
    return shown;
}

const char* CMonitorPanel::StatusMessageKey() const
{
    switch (m_state) {
    case MonitorOk: return "mon.ok";
    case MonitorFailed: return "mon.err";
    default: return "mon.null";
    }
}
