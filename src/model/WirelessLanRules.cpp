#include "model/WirelessLanRules.h"

#include "model/CDevInterface.h"
#include "modbus/CPrivateException.h"

namespace WirelessLanRules {
namespace {

// Register values of "wlanmode" and "wlansecurity".
constexpr std::uint16_t kModeAdHoc = 1;
constexpr std::uint16_t kSecurityWep64 = 1;
constexpr std::uint16_t kSecurityWep128 = 2;

} // namespace

void CheckConsistency(const CDevInterface& device)
{
    const std::uint16_t mode = device.FirstWordOf(u"wlanmode");
    const std::uint16_t security = device.FirstWordOf(u"wlansecurity");
    // The stored key up to its first zero byte, as the device will use it.
    const qsizetype keyLength = device.GetParameter(u"wlanwepkey").GetValue().GetString(0).size();

    if (mode == kModeAdHoc && security > kSecurityWep128)
        throw CPrivateException("wlan.adhocerr");
    if (security == kSecurityWep64 && keyLength != 5 && keyLength != 10)
        throw CPrivateException("wlan.wep64err");
    if (security == kSecurityWep128 && keyLength != 13 && keyLength != 26)
        throw CPrivateException("wlan.wep128err");
}

} // namespace WirelessLanRules
