#pragma once
// The lamp panel of the monitor, worked out from a poll's snapshot: how many lamps the device
// has and their colours (from the letters after '-' in its model text, such as VK20C-4RYGB),
// whether each lamp and the buzzer is on, blinking or off, the discrete inputs, and which
// commands may be given. The monitor window draws it every 50 ms; korva-cli prints it.
//
// Coils 0 to 4 light lamps 1 to 5 steadily and coils 8 to 12 make them blink; coil 5 sounds the
// buzzer steadily and coil 13 intermittently. Bit 0 (lamps) and bit 1 (buzzer) of register
// 25502 make the blink fast: 50 ms on and off instead of 200 ms.
//
// A four-lamp device with a fifth colour letter has a two-colour fourth lamp: coil 3 shows its
// first colour, coil 4 its second, and both together a pattern of the two.

#include "app/MonitorSnapshot.h"

#include <QString>

#include <array>
#include <cstdint>

enum LampColour : int {
    LampRed = 0,
    LampAmber = 1,
    LampGreen = 2,
    LampBlue = 3,
    LampWhite = 4,
    LampUnknown = 5, // a letter this program does not know, or none
    LampNone = 6,    // no lamp at this place; also a lamp that is dark
    LampPattern = 7, // both colours of a two-colour lamp
};

struct LampRgb {
    std::uint8_t red, green, blue;
    bool operator==(const LampRgb&) const = default;
};

enum class OutputMode { Off, On, Blink };

class CMonitorPanel {
public:
    static constexpr int kLampCount = 5;
    // Display ticks of 50 ms; the blink phases repeat every eight.
    static constexpr int kTicksPerCycle = 8;

    explicit CMonitorPanel(const MonitorSnapshot& snapshot);

    // Devices whose model code ends in 2, 3 or 4 have the input panel.
    static bool HasInputs(std::uint16_t modelCode);
    // Colours 0 to 6; LampPattern has no single colour and gives black.
    static LampRgb ColourRgb(int colour);
    // The colour a model-text letter stands for (R, Y, G, B, W, N); LampUnknown for others.
    static int ColourOfLetter(QChar letter);

    // 0 to 5, from the digit after the first '-' of the model text.
    int GetLampCount() const { return m_lampCount; }
    // The colour built into lamp `lamp` (0 to 4).
    int GetLampColour(int lamp) const;
    // The fourth lamp has a second colour, driven by the fifth lamp's coils.
    bool HasTwoColourFourthLamp() const;
    // The lamp's description: message "lamp%d" followed by "color%d" of its colour.
    static QString LampText(int lamp, int colour);

    OutputMode GetLampMode(int lamp) const;
    OutputMode GetBuzzerMode() const;
    bool IsLampBlinkFast() const { return m_values.status & 0x01; }
    bool IsBuzzerBlinkFast() const { return m_values.status & 0x02; }
    // Input `input` (0 to 15) is on; always false on devices without inputs.
    bool GetInput(int input) const;
    // The model code when the last poll succeeded, else 0: what enabling depends on.
    std::uint16_t ActiveModelCode() const { return m_activeCode; }
    bool IsInputPanelEnabled() const { return HasInputs(m_activeCode); }

    // Buzzer commands are allowed with the command switch on, unless a device with inputs has
    // locked its commands (bit 7 of register 25502); lamp rows also need a lamp at their place.
    bool AreCommandsAllowed(bool commandSwitch) const;
    bool IsLampRowEnabled(int lamp, bool commandSwitch) const;

    // Display: bits 0 to 4 the lamps lit and bit 5 the buzzer sounding at `tick` (0 to 7).
    std::uint8_t EffectiveOutputs(int tick) const;
    // The colour each swatch shows at `tick`: its lamp's colour, LampNone when dark, or
    // LampPattern for both colours of a two-colour fourth lamp.
    std::array<int, kLampCount> ShownColours(int tick) const;

    // "mon.null", "mon.ok" or "mon.err".
    const char* StatusMessageKey() const;

private:
    MonitorState m_state;
    MonitorDeviceValues m_values;
    std::uint16_t m_activeCode = 0;
    int m_lampCount = 0;
    std::array<int, kLampCount> m_colours{LampNone, LampNone, LampNone, LampNone, LampNone};
};
