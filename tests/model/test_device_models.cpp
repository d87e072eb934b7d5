// ctest-label: unit
// Device models: the register layout of every table, the tables derived from others, the
// wireless LAN consistency check, the 920 MHz dependencies and greying, and the monitor's
// display texts.

#include "ScopedTestLanguage.h"

#include "model/CDevM_VKxx.h"
#include "model/CDevM_VKxxC.h"
#include "model/CDevM_VKxxCF.h"
#include "model/CDevVK20A.h"
#include "model/CDevVK20B.h"
#include "model/CDevVK20B_2.h"
#include "model/CDevVK20C.h"
#include "model/CDevVK20CF.h"
#include "model/CDevVK20E.h"
#include "modbus/CPrivateException.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Factory = std::function<std::unique_ptr<CDevInterface>()>;

std::string Utf8(const char16_t* name)
{
    return QStringView(name).toString().toStdString();
}

template <typename Model>
Factory Make()
{
    return [] { return std::make_unique<Model>(); };
}

struct ModelCase {
    const char* name;
    Factory make;
    QString section;
    int rows;
    bool monitor;
};

const std::vector<ModelCase>& AllModels()
{
    static const std::vector<ModelCase> models = {
        {"CDevVK20E", Make<CDevVK20E>(), "VK20E", 10, false},
        {"CDevVK20A", Make<CDevVK20A>(), "VK20A", 17, false},
        {"CDevVK20B", Make<CDevVK20B>(), "VK20B", 19, false},
        {"CDevVK20B_2", Make<CDevVK20B_2>(), "VK20B_2", 24, false},
        {"CDevVK20C", Make<CDevVK20C>(), "VK20C", 28, false},
        {"CDevVK20CF", Make<CDevVK20CF>(), "VK20CF", 27, false},
        {"CDevM_VKxx", Make<CDevM_VKxx>(), "VK20A", 7, true},
        {"CDevM_VKxxC", Make<CDevM_VKxxC>(), "VK20C", 22, true},
        {"CDevM_VKxxCF", Make<CDevM_VKxxCF>(), "VK20CF", 21, true},
    };
    return models;
}

TEST(DeviceModelTest, EveryModelHasItsSectionRowsAndNoRegisterTwice)
{
    for (const ModelCase& model : AllModels()) {
        SCOPED_TRACE(model.name);
        const auto device = model.make();
        EXPECT_EQ(QString::fromUtf16(device->GetSection()), model.section);
        ASSERT_EQ(device->GetCount(), model.rows);
        EXPECT_EQ(device->GetAt(0).GetDefinition().kind, PK_CAPTION);

        std::map<int, QString> owner;
        for (int i = 0; i < device->GetCount(); ++i) {
            const CParInterface& parameter = device->GetAt(i);
            const QString name = QString::fromUtf16(parameter.GetDefinition().name);
            EXPECT_EQ(parameter.GetValue().GetCount(), ParRegisterCount(parameter.GetDefinition()))
                << name.toStdString();
            for (int r = 0; r < parameter.GetValue().GetCount(); ++r) {
                const int address = parameter.GetValue().GetAddress() + r;
                const auto [it, fresh] = owner.emplace(address, name);
                EXPECT_TRUE(fresh) << name.toStdString() << " and " << it->second.toStdString()
                                   << " share register " << address;
            }
            // Configuration rows are all editable; monitor rows only as commands.
            const std::uint32_t access = parameter.GetDefinition().access;
            if (!model.monitor) {
                EXPECT_EQ(access, 0u) << name.toStdString();
            } else if (parameter.GetDefinition().kind != PK_CAPTION) {
                EXPECT_TRUE(access == PA_READONLY || access == PA_COMMAND) << name.toStdString();
            }
        }
    }
}

bool SameRow(const ParDefinition& a, const ParDefinition& b)
{
    const auto text = [](const char16_t* s) { return s ? QString::fromUtf16(s) : QString(); };
    return a.kind == b.kind && text(a.name) == text(b.name) && a.address == b.address
        && a.minimum == b.minimum && a.maximum == b.maximum && a.defaultValue == b.defaultValue
        && a.decimals == b.decimals && text(a.list) == text(b.list) && a.unit == b.unit
        && a.access == b.access;
}

// `derived` row i is `base` row map[i]; -1 marks a row of the derived table's own.
void ExpectDerived(const CDevInterface& derived, const CDevInterface& base, const std::vector<int>& map)
{
    ASSERT_EQ(static_cast<int>(map.size()), derived.GetCount());
    for (int i = 0; i < derived.GetCount(); ++i) {
        const int baseRow = map[static_cast<std::size_t>(i)];
        if (baseRow < 0)
            continue;
        EXPECT_TRUE(SameRow(derived.GetAt(i).GetDefinition(), base.GetAt(baseRow).GetDefinition())) << "row " << i;
    }
}

std::vector<int> Identity(int count, std::vector<int> own = {})
{
    std::vector<int> map(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        map[static_cast<std::size_t>(i)] = i;
    for (const int row : own)
        map[static_cast<std::size_t>(row)] = -1;
    return map;
}

TEST(DeviceModelTest, DerivedTablesKeepTheRowsOfTheirBase)
{
    ExpectDerived(CDevVK20A(), CDevVK20E(), Identity(17, {10, 11, 12, 13, 14, 15, 16}));
    ExpectDerived(CDevVK20B(), CDevVK20A(), Identity(19, {11, 17, 18}));
    ExpectDerived(CDevVK20B_2(), CDevVK20B(), Identity(24, {19, 20, 21, 22, 23}));

    // The 43-channel model drops the duty time and changes the channel set.
    std::vector<int> withoutDuty = Identity(27, {11});
    for (int i = 15; i < 27; ++i)
        withoutDuty[static_cast<std::size_t>(i)] = i + 1;
    ExpectDerived(CDevVK20CF(), CDevVK20C(), withoutDuty);
    EXPECT_EQ(CDevVK20CF().GetAt(11).GetDefinition().kind, PK_CHANNEL43);
    EXPECT_EQ(CDevVK20C().GetAt(11).GetDefinition().kind, PK_CHANNEL28);

    std::vector<int> withoutClear = Identity(21);
    withoutClear[20] = 21;
    ExpectDerived(CDevM_VKxxCF(), CDevM_VKxxC(), withoutClear);

    // The later firmware allows access point mode and starts in it.
    const ParDefinition& mode = CDevVK20B().GetParameter(u"wlanmode").GetDefinition();
    EXPECT_EQ(mode.maximum, 2);
    EXPECT_EQ(mode.defaultValue, 2);
    EXPECT_EQ(CDevVK20A().GetParameter(u"wlanmode").GetDefinition().maximum, 1);
}

TEST(DeviceModelTest, DefaultsOfTheWiredSettings)
{
    const CDevVK20B_2 device;
    EXPECT_EQ(device.GetParameter(u"ipadrs").GetText(), "192.168.0.1");
    EXPECT_EQ(device.GetParameter(u"subnetmask").GetText(), "255.255.255.0");
    EXPECT_EQ(device.GetParameter(u"defaultgateway").GetText(), "0.0.0.0");
    EXPECT_EQ(device.GetParameter(u"port").GetText(), "502");
    EXPECT_EQ(device.GetParameter(u"tcptimeout").GetText(), "60.0");
    EXPECT_EQ(device.GetParameter(u"runtimeout").GetText(), "5.0");
    EXPECT_EQ(device.GetParameter(u"dhcpstartip").GetText(), "192.168.0.50");
    EXPECT_EQ(device.GetParameter(u"dhcpendip").GetText(), "192.168.0.99");
    EXPECT_EQ(device.GetParameter(u"wlanssid").GetText(), "test-ssid");
    EXPECT_EQ(device.GetParameter(u"tag").GetText(), "test-tag");
}

TEST(DeviceModelTest, LookupByNameFallsBackToTheFirstRow)
{
    CDevVK20C device;
    EXPECT_EQ(device.IndexOf(u"netname"), 13);
    EXPECT_EQ(device.IndexOf(u"NETNAME"), 0);
    EXPECT_EQ(device.IndexOf(u"nosuchname"), 0);
    EXPECT_EQ(&device.GetParameter(u"nosuchname"), &device.GetAt(0));
    EXPECT_THROW(device.GetAt(28), std::out_of_range);
    EXPECT_THROW(device.GetAt(-1), std::out_of_range);
}

struct WirelessCase {
    std::uint16_t mode;
    std::uint16_t security;
    QString key;
    QString message; // empty: consistent
};

TEST(DeviceModelTest, WirelessCheckRefusesSecurityThatTheModeOrKeyCannotUse)
{
    const ScopedTestLanguage language{QString()}; // messages are their keys
    const std::vector<WirelessCase> cases = {
        {1, 3, "1111111111111", "wlan.adhocerr"},
        {1, 6, "abc", "wlan.adhocerr"}, // the first failing rule decides
        {1, 2, "1111111111111", ""},
        {0, 6, "1111111111111", ""},
        {0, 1, "1111111111111", "wlan.wep64err"},
        {0, 1, "abcde", ""},
        {0, 1, "0123456789", ""},
        {0, 2, "0123456789", "wlan.wep128err"},
        {0, 2, "0123456789abcdef0123456789", ""},
        {0, 0, "x", ""},
    };
    const std::vector<Factory> models = {Make<CDevVK20A>(), Make<CDevVK20B>(), Make<CDevVK20B_2>()};
    for (const Factory& make : models) {
        for (const WirelessCase& c : cases) {
            const auto device = make();
            SCOPED_TRACE(QStringLiteral("%1: mode %2, security %3, key %4")
                             .arg(QString::fromUtf16(device->GetSection()))
                             .arg(c.mode)
                             .arg(c.security)
                             .arg(c.key)
                             .toStdString());
            device->GetParameter(u"wlanmode").SetValue(c.mode);
            device->GetParameter(u"wlansecurity").SetValue(c.security);
            device->GetParameter(u"wlanwepkey").GetValue().SetString(0, c.key.toLatin1());
            try {
                device->CheckConsistency();
                EXPECT_EQ(c.message, "");
            } catch (const CPrivateException& error) {
                EXPECT_EQ(error.ErrorText(), c.message);
            }
        }
    }
    // The wired model has nothing to check.
    EXPECT_NO_THROW(CDevVK20E().CheckConsistency());
}

struct DependencyCase {
    const char16_t* changed;
    std::int32_t value;
    bool changedOthers;
    std::vector<std::pair<const char16_t*, std::uint16_t>> after;
    std::vector<const char16_t*> disabled;
    std::vector<const char16_t*> enabled;
};

TEST(DeviceModelTest, RadioSettingsForceAndGreyOutTheirDependants)
{
    const std::vector<DependencyCase> cases = {
        {u"fixroute", 0, true, {{u"detoadrs", 0}, {u"detoflg", 1}}, {u"detoadrs", u"detoflg"}, {}},
        {u"fixroute", 1, false, {{u"detoadrs", 0x55}, {u"detoflg", 0}}, {}, {u"detoadrs", u"detoflg"}},
        {u"netfilter", 0, true, {{u"netfiltertm", 10}}, {u"netfiltertm"}, {}},
        {u"netfilter", 1, false, {{u"netfiltertm", 77}}, {}, {u"netfiltertm"}},
        {u"slowmoving", 2, true, {{u"netscale", 3}, {u"joining", 1}}, {u"netscale", u"joining"}, {}},
        {u"slowmoving", 1, false, {{u"netscale", 2}, {u"joining", 2}}, {}, {u"netscale", u"joining"}},
        {u"netscale", 3, true, {{u"joining", 1}}, {u"joining"}, {u"netscale"}},
        {u"netscale", 2, false, {{u"joining", 2}}, {}, {u"joining"}},
        {u"txpwr", 1, false, {{u"detoadrs", 0x55}, {u"netfiltertm", 77}}, {}, {u"txpwr"}},
    };
    const std::vector<Factory> models = {Make<CDevVK20C>(), Make<CDevVK20CF>()};
    for (const Factory& make : models) {
        for (const DependencyCase& c : cases) {
            const auto device = make();
            SCOPED_TRACE(QStringLiteral("%1: %2 = %3")
                             .arg(QString::fromUtf16(device->GetSection()), QStringView(c.changed))
                             .arg(c.value)
                             .toStdString());
            // Values that a rule would overwrite, and settings that disable nothing.
            device->GetParameter(u"fixroute").SetValue(1);
            device->GetParameter(u"detoadrs").SetValue(0x55);
            device->GetParameter(u"detoflg").SetValue(0);
            device->GetParameter(u"netfilter").SetValue(1);
            device->GetParameter(u"netfiltertm").SetValue(77);
            device->GetParameter(u"slowmoving").SetValue(1);
            device->GetParameter(u"netscale").SetValue(2);
            device->GetParameter(u"joining").SetValue(2);

            device->GetParameter(c.changed).SetValue(c.value);
            EXPECT_EQ(device->OnParameterChanged(device->IndexOf(c.changed)), c.changedOthers);
            for (const auto& [name, value] : c.after)
                EXPECT_EQ(device->GetParameter(name).GetValue().GetWords()[0], value) << Utf8(name);
            for (const char16_t* name : c.disabled)
                EXPECT_TRUE(device->IsDisabled(device->IndexOf(name))) << Utf8(name);
            for (const char16_t* name : c.enabled)
                EXPECT_FALSE(device->IsDisabled(device->IndexOf(name))) << Utf8(name);
        }
        const auto device = make();
        EXPECT_TRUE(device->IsDisabled(device->IndexOf(u"w920")));     // a caption
        EXPECT_FALSE(device->IsDisabled(device->IndexOf(u"panid")));
        EXPECT_FALSE(device->OnParameterChanged(-1));
        EXPECT_FALSE(device->IsDisabled(1000));
    }
}

TEST(DeviceModelTest, CaptionsAreTheOnlyRowsGreyedOutByDefault)
{
    const CDevVK20B_2 device;
    for (int i = 0; i < device.GetCount(); ++i)
        EXPECT_EQ(device.IsDisabled(i), device.GetAt(i).GetDefinition().kind == PK_CAPTION) << i;
}

void SetWords(CDevInterface& device, const char16_t* name, std::vector<std::uint16_t> words)
{
    CParValue& value = device.GetParameter(name).GetValue();
    std::copy(words.begin(), words.end(), value.GetWords().begin());
}

TEST(DeviceModelTest, LanMonitorHidesTheSignalLevelWithoutALink)
{
    CDevM_VKxx monitor;
    const int rssi = monitor.IndexOf(u"rssi");
    SetWords(monitor, u"rssi", {0x8000});
    EXPECT_EQ(monitor.GetDisplayText(rssi, "-32768 (dBm)"), "");
    SetWords(monitor, u"rssi", {0xFFC4});
    EXPECT_EQ(monitor.GetDisplayText(rssi, "-60 (dBm)"), "-60 (dBm)");
    SetWords(monitor, u"mac", {0, 0, 0});
    EXPECT_EQ(monitor.GetDisplayText(monitor.IndexOf(u"mac"), "00:00:00:00:00:00"), "00:00:00:00:00:00");
}

struct StatusCase {
    const char16_t* name;
    std::vector<std::uint16_t> words;
    bool hidden;
};

TEST(DeviceModelTest, RadioMonitorHidesUnreportedValuesAndNamesAWeakSignal)
{
    const ScopedTestLanguage language(QStringLiteral(
        "<parameter name=\"VK20C\"><text name=\"outw920\">out C</text></parameter>"
        "<parameter name=\"VK20CF\"><text name=\"outw920\">out CF</text></parameter>"));
    const std::vector<StatusCase> cases = {
        {u"w920firmver", {0, 0, 0}, true},
        {u"w920firmver", {0, 0, 1}, false},
        {u"mac", {0, 0, 0, 0}, true},
        {u"mac", {0, 0, 0, 1}, false},
        {u"rpanid", {0}, true},
        {u"rpanid", {0x1234}, false},
        {u"rch", {0}, true},
        {u"rch", {24}, false},
        {u"rsadrs", {0}, true},
        {u"tx485ok", {0}, false},
        {u"rssi", {0xFF99}, false}, // -103 dBm
    };
    const std::vector<std::pair<Factory, QString>> models = {{Make<CDevM_VKxxC>(), "out C"},
                                                             {Make<CDevM_VKxxCF>(), "out CF"}};
    for (const auto& [make, outOfRange] : models) {
        const auto monitor = make();
        for (const StatusCase& c : cases) {
            SCOPED_TRACE(QStringView(c.name).toString().toStdString());
            SetWords(*monitor, c.name, c.words);
            EXPECT_EQ(monitor->GetDisplayText(monitor->IndexOf(c.name), "shown"), c.hidden ? "" : "shown");
        }
        const int rssi = monitor->IndexOf(u"rssi");
        SetWords(*monitor, u"rssi", {0xFF98}); // -104 dBm
        EXPECT_EQ(monitor->GetDisplayText(rssi, "-104 (dBm)"), outOfRange);
        SetWords(*monitor, u"rssi", {0x8000});
        EXPECT_EQ(monitor->GetDisplayText(rssi, "x"), outOfRange);
    }
}

} // namespace
