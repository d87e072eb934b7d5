#include "model/Radio920Rules.h"

#include "app/CResourceDatabase.h"
#include "model/CDevInterface.h"

#include <algorithm>

namespace Radio920Rules {
namespace {

// Register values the rules test and set.
constexpr std::uint16_t kFixedRouteOff = 0;
constexpr std::uint16_t kNetFilterOff = 0;
constexpr std::uint16_t kSlowMovingOn = 2;
constexpr std::uint16_t kLargestNetwork = 3;
constexpr std::int32_t kNoDestination = 0;
constexpr std::int32_t kDestinationFlagDefault = 1;
constexpr std::int32_t kNetFilterTimeDefault = 10; // 1.0 s with its one decimal
constexpr std::int32_t kJoiningDefault = 1;

// Signal levels at or below this (dBm) are shown as out of range.
constexpr std::int16_t kWeakestSignal = -104;

std::uint16_t FirstWordAt(const CDevInterface& device, int index)
{
    const auto words = device.GetAt(index).GetValue().GetWords();
    return words.empty() ? std::uint16_t{0} : words[0];
}

bool AllZero(const CDevInterface& device, int index)
{
    const auto words = device.GetAt(index).GetValue().GetWords();
    return std::all_of(words.begin(), words.end(), [](std::uint16_t w) { return w == 0; });
}

} // namespace

bool OnParameterChanged(CDevInterface& device, int index)
{
    const QStringView name = device.NameAt(index);
    if (name.isEmpty())
        return false;
    const std::uint16_t value = FirstWordAt(device, index);

    if (name == u"fixroute") {
        if (value != kFixedRouteOff)
            return false;
        device.GetParameter(u"detoadrs").SetValue(kNoDestination);
        device.GetParameter(u"detoflg").SetValue(kDestinationFlagDefault);
        return true;
    }
    if (name == u"netfilter") {
        if (value != kNetFilterOff)
            return false;
        device.GetParameter(u"netfiltertm").SetValue(kNetFilterTimeDefault);
        return true;
    }
    if (name == u"slowmoving") {
        if (value != kSlowMovingOn)
            return false;
        device.GetParameter(u"netscale").SetValue(kLargestNetwork);
        device.GetParameter(u"joining").SetValue(kJoiningDefault);
        return true;
    }
    if (name == u"netscale") {
        if (value != kLargestNetwork)
            return false;
        device.GetParameter(u"joining").SetValue(kJoiningDefault);
        return true;
    }
    return false;
}

bool IsDisabled(const CDevInterface& device, int index)
{
    const QStringView name = device.NameAt(index);
    if (name == u"detoadrs" || name == u"detoflg")
        return device.FirstWordOf(u"fixroute") == kFixedRouteOff;
    if (name == u"netfiltertm")
        return device.FirstWordOf(u"netfilter") == kNetFilterOff;
    if (name == u"netscale")
        return device.FirstWordOf(u"slowmoving") == kSlowMovingOn;
    if (name == u"joining")
        return device.FirstWordOf(u"netscale") == kLargestNetwork;
    return device.CDevInterface::IsDisabled(index);
}

QString MonitorDisplayText(const CDevInterface& device, int index, const QString& text)
{
    const QStringView name = device.NameAt(index);
    if (name.isEmpty())
        return text;
    if ((name == u"w920firmver" || name == u"mac") && AllZero(device, index))
        return {};
    const std::uint16_t first = FirstWordAt(device, index);
    if ((name == u"rpanid" || name == u"rch" || name == u"rsadrs") && first == 0)
        return {};
    if (name == u"rssi" && static_cast<std::int16_t>(first) <= kWeakestSignal)
        return CResourceDatabase::Instance().GetParameterText(QString::fromUtf16(device.GetSection()),
                                                              QStringLiteral("outw920"));
    return text;
}

} // namespace Radio920Rules
