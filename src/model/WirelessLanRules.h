#pragma once
// The consistency check shared by the wireless LAN models: an ad hoc network cannot use WPA, and
// a WEP key must have the length of the chosen WEP strength.

class CDevInterface;

namespace WirelessLanRules {

// Throws "wlan.adhocerr", "wlan.wep64err" or "wlan.wep128err" for the first rule that fails.
void CheckConsistency(const CDevInterface& device);

} // namespace WirelessLanRules
