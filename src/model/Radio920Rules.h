#pragma once
// Rules shared by the 920 MHz models: settings that force others when they change, settings that
// do not apply while another one has a certain value, and the status texts of the monitor, which
// hides values the radio has not reported yet.

#include <QString>

class CDevInterface;

namespace Radio920Rules {

// Sets the parameters that depend on the one at `index`; true when it set any.
bool OnParameterChanged(CDevInterface& device, int index);
// True when the row at `index` does not apply with the current values (or is a caption).
bool IsDisabled(const CDevInterface& device, int index);
// The monitor's text for the row at `index`: empty while the radio reports nothing, the
// out-of-range text ("outw920" of the model's section) for a signal too weak to use.
QString MonitorDisplayText(const CDevInterface& device, int index, const QString& text);

} // namespace Radio920Rules
