#pragma once
// What the monitor knows about the watched device after its last poll: whether that poll
// worked, the monitor-side model with every status parameter, and the four device values
// behind the lamp panel. The monitor window and korva-cli monitor both show it.

#include <QString>

#include <cstdint>
#include <memory>

class CDevInterface;

enum MonitorState : int {
    MonitorWaiting = 0, // no poll has ended yet
    MonitorOk = 1,      // the last poll succeeded
    MonitorFailed = 2,  // the last poll failed
};

struct MonitorDeviceValues {
    std::uint16_t coils = 0;        // coils 0 to 15, bit k = coil k
    std::uint16_t inputs = 0;       // discrete inputs 0 to 15; 0 on devices without inputs
    std::uint16_t status = 0;       // holding register 25502
    std::uint16_t wirelessMode = 0; // holding register 1100
};

struct MonitorSnapshot {
    MonitorState state = MonitorWaiting;
    // The model of the last successful poll (kept through failed polls); null before the first.
    // Each poll builds a new one, so a model once handed out is never touched by a poll again.
    std::shared_ptr<CDevInterface> model;
    // All zero after a failed poll, so that every lamp and input shows dark.
    MonitorDeviceValues values;
    // Why the last poll failed; empty after a successful one. The window shows only "mon.err".
    QString errorText;
};
