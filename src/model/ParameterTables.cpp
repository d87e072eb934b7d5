#include "model/ParameterTables.h"

#include <array>
#include <cstddef>

// Columns of every row: kind, name, first register, minimum, maximum, default, decimals, list,
// unit, access. Text kinds take their initial text from the kind (see CParInterface), so
// their default column is 0; IPv4 defaults are written dotted through Ipv4Default.

namespace ParameterTables {
namespace {

constexpr ParDefinition Caption(const char16_t* name)
{
    return {PK_CAPTION, name, 0, 0, 0, 0, 0, nullptr, 0, 0};
}

template <std::size_t N, std::size_t M>
constexpr std::array<ParDefinition, N + M> Join(const std::array<ParDefinition, N>& first,
                                                const std::array<ParDefinition, M>& second)
{
    std::array<ParDefinition, N + M> rows{};
    for (std::size_t i = 0; i < N; ++i)
        rows[i] = first[i];
    for (std::size_t i = 0; i < M; ++i)
        rows[N + i] = second[i];
    return rows;
}

template <std::size_t N>
constexpr std::array<ParDefinition, N - 1> WithoutRow(const std::array<ParDefinition, N>& table,
                                                      std::size_t removed)
{
    std::array<ParDefinition, N - 1> rows{};
    for (std::size_t i = 0, j = 0; i < N; ++i) {
        if (i != removed)
            rows[j++] = table[i];
    }
    return rows;
}

template <std::size_t N>
constexpr std::array<ParDefinition, N> WithRow(std::array<ParDefinition, N> table,
                                               std::size_t index, const ParDefinition& row)
{
    table[index] = row;
    return table;
}

constexpr bool SameName(const char16_t* a, const char16_t* b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// ---- CDevVK20E: wired LAN ------------------------------------------------------------------

constexpr std::array<ParDefinition, 10> kVK20E = {{
    Caption(u"info"),
    {PK_TEXT, u"tag", 9628, 0, 32, 0, 0, nullptr, 0, 0},
    Caption(u"ipcap"),
    {PK_IPADDR, u"ipadrs", 1004, 0, 0, Ipv4Default(192, 168, 0, 1), 0, nullptr, 0, 0},
    {PK_IPADDR, u"subnetmask", 1006, 0, 0, Ipv4Default(255, 255, 255, 0), 0, nullptr, 0, 0},
    {PK_IPADDR, u"defaultgateway", 1008, 0, 0, Ipv4Default(0, 0, 0, 0), 0, nullptr, 0, 0},
    Caption(u"modbustcpcap"),
    {PK_UINT16, u"port", 1010, 1, 65535, 502, 0, nullptr, 0, 0},
    {PK_UINT16, u"tcptimeout", 1011, 0, 32000, 600, 1, nullptr, 1, 0},
    {PK_UINT16, u"runtimeout", 1012, 0, 32000, 50, 1, nullptr, 1, 0},
}};

// ---- CDevVK20A: wireless LAN ---------------------------------------------------------------

constexpr std::array<ParDefinition, 7> kWirelessLanRows = {{
    Caption(u"wlancap"),
    {PK_LIST16, u"wlanmode", 1100, 0, 1, 0, 0, u"wlanmode", 0, 0},
    {PK_SSID, u"wlanssid", 1101, 0, 32, 0, 0, nullptr, 0, 0},
    {PK_UINT16, u"wlanch", 1117, 1, 13, 11, 0, nullptr, 2, 0},
    {PK_LIST16, u"wlansecurity", 1118, 0, 6, 0, 0, u"wlansecurity", 0, 0},
    {PK_WEPKEY, u"wlanwepkey", 1119, 0, 26, 0, 0, nullptr, 0, 0},
    {PK_WPAKEY, u"wlanwpakey", 1132, 0, 64, 0, 0, nullptr, 0, 0},
}};

constexpr auto kVK20A = Join(kVK20E, kWirelessLanRows);

// ---- CDevVK20B: wireless LAN up to firmware 1.0 --------------------------------------------

constexpr std::array<ParDefinition, 2> kWirelessLanExtraRows = {{
    {PK_LIST16, u"wlanstealth", 1200, 0, 1, 0, 0, u"wlanstealth", 0, 0},
    {PK_LIST16, u"wlantxpowerrate", 1201, 0, 4, 0, 0, u"wlantxpowerrate", 0, 0},
}};

constexpr auto kVK20B = Join(
    WithRow(kVK20A, 11, {PK_LIST16, u"wlanmode", 1100, 0, 2, 2, 0, u"wlanmode", 0, 0}),
    kWirelessLanExtraRows);

// ---- CDevVK20B_2: wireless LAN from firmware 1.1, with a DHCP server -----------------------

constexpr std::array<ParDefinition, 5> kDhcpRows = {{
    Caption(u"dhcpcap"),
    {PK_LIST16, u"dhcpmode", 1202, 0, 1, 0, 0, u"dhcpmode", 0, 0},
    {PK_IPADDR, u"dhcpstartip", 1203, 0, 0, Ipv4Default(192, 168, 0, 50), 0, nullptr, 0, 0},
    {PK_IPADDR, u"dhcpendip", 1205, 0, 0, Ipv4Default(192, 168, 0, 99), 0, nullptr, 0, 0},
    {PK_IPADDR, u"dns", 1207, 0, 0, Ipv4Default(0, 0, 0, 0), 0, nullptr, 0, 0},
}};

constexpr auto kVK20B_2 = Join(kVK20B, kDhcpRows);

// ---- CDevVK20C: 920 MHz wireless with RS-485 ------------------------------------------------

constexpr std::array<ParDefinition, 28> kVK20C = {{
    Caption(u"devinfo"),
    {PK_TEXT, u"tag", 9628, 0, 32, 0, 0, nullptr, 0, 0},
    Caption(u"modbuscap"),
    {PK_UINT16, u"nodeadrs", 1238, 1, 247, 1, 0, nullptr, 0, 0},
    {PK_UINT16, u"runtimeout", 1120, 0, 32000, 50, 1, nullptr, 1, 0},
    Caption(u"rs485"),
    {PK_LIST16, u"rate", 1150, 0, 3, 0, 0, u"rate", 0, 0},
    {PK_LIST16, u"parity", 1151, 0, 2, 0, 0, u"parity", 0, 0},
    {PK_LIST16, u"stop", 1152, 0, 1, 0, 0, u"stop", 0, 0},
    Caption(u"w920"),
    {PK_HEX16, u"panid", 1200, 0, 65534, 0, 0, nullptr, 0, 0},
    {PK_CHANNEL28, u"ch", 1201, 0, 10, 0, 0, nullptr, 0, 0},
    {PK_HEX16, u"sadrs", 1211, 0, 65533, 0, 0, nullptr, 0, 0},
    {PK_NETNAME, u"netname", 1213, 0, 16, 0, 0, nullptr, 0, 0},
    {PK_ENCKEY, u"enckey", 1221, 0, 32, 0, 0, nullptr, 0, 0},
    {PK_INT16, u"dutytm", 1229, 10, 3600, 600, 0, nullptr, 1, 0},
    {PK_LIST16, u"txpwr", 1230, 1, 3, 3, 0, u"txpwr", 0, 0},
    {PK_LIST16, u"slowmoving", 1242, 1, 2, 1, 0, u"slowmoving", 0, 0},
    {PK_LIST16, u"netscale", 1231, 0, 3, 0, 0, u"netscale", 0, 0},
    {PK_LIST16, u"quality", 1239, 0, 2, 0, 0, u"quality", 0, 0},
    {PK_LIST16, u"joining", 1240, 1, 2, 1, 0, u"joining", 0, 0},
    {PK_LIST16, u"fixroute", 1232, 0, 1, 0, 0, u"fixroute", 0, 0},
    {PK_HEX16, u"detoadrs", 1233, 0, 65533, 0, 0, nullptr, 0, 0},
    {PK_LIST16, u"detoflg", 1234, 0, 1, 1, 0, u"detoflg", 0, 0},
    {PK_LIST16, u"netfilter", 1235, 0, 1, 1, 0, u"netfilter", 0, 0},
    {PK_INT16, u"netfiltertm", 1236, 10, 600, 10, 1, nullptr, 1, 0},
    {PK_INT16, u"runtm", 1237, 10, 600, 30, 1, nullptr, 1, 0},
    {PK_LIST16, u"routeretry", 1241, 1, 3, 3, 0, u"routeretry", 0, 0},
}};

// ---- CDevVK20CF: 920 MHz wireless on 43 channels, without the duty time --------------------

constexpr std::size_t kChannelRow = 11;
constexpr std::size_t kDutyTimeRow = 15;

constexpr auto kVK20CF = WithoutRow(
    WithRow(kVK20C, kChannelRow, {PK_CHANNEL43, u"ch", 1201, 0, 10, 0, 0, nullptr, 0, 0}),
    kDutyTimeRow);

// ---- CDevM_VKxx: monitor of the wired and wireless LAN models ------------------------------

constexpr std::array<ParDefinition, 7> kM_VKxx = {{
    Caption(u"info"),
    {PK_TEXT, u"model", 9601, 0, 32, 0, 0, nullptr, 0, PA_READONLY},
    {PK_TEXT, u"serial", 9620, 0, 16, 0, 0, nullptr, 0, PA_READONLY},
    {PK_VERSION, u"firmver", 9617, 0, 3, 0, 0, nullptr, 0, PA_READONLY},
    {PK_MAC48, u"mac", 1001, 0, 17, 0, 0, nullptr, 0, PA_READONLY},
    {PK_TEXT, u"tag", 9628, 0, 32, 0, 0, nullptr, 0, PA_READONLY},
    {PK_INT16, u"rssi", 9644, 0, 0, 0, 0, nullptr, 11, PA_READONLY},
}};

// ---- CDevM_VKxxC: monitor of the 920 MHz model ----------------------------------------------

constexpr std::array<ParDefinition, 22> kM_VKxxC = {{
    Caption(u"devinfo"),
    {PK_TEXT, u"model", 9601, 0, 32, 0, 0, nullptr, 0, PA_READONLY},
    {PK_TEXT, u"serial", 9620, 0, 16, 0, 0, nullptr, 0, PA_READONLY},
    {PK_VERSION, u"firmver", 9617, 0, 3, 0, 0, nullptr, 0, PA_READONLY},
    {PK_TEXT, u"tag", 9628, 0, 32, 0, 0, nullptr, 0, PA_READONLY},
    Caption(u"w920sts"),
    {PK_VERSIONHEX, u"w920firmver", 1321, 0, 3, 0, 0, nullptr, 0, PA_READONLY},
    {PK_MAC64, u"mac", 1300, 0, 23, 0, 0, nullptr, 0, PA_READONLY},
    {PK_HEX16, u"rpanid", 1304, 0, 0, 0, 0, nullptr, 0, PA_READONLY},
    {PK_INT16, u"rch", 1305, 0, 0, 0, 0, nullptr, 0, PA_READONLY},
    {PK_HEX16, u"rsadrs", 1306, 0, 0, 0, 0, nullptr, 0, PA_READONLY},
    {PK_NETNAME, u"rnetname", 1307, 0, 16, 0, 0, nullptr, 0, PA_READONLY},
    {PK_LIST16, u"actled", 1315, 0, 0, 0, 0, u"actled", 0, PA_READONLY},
    {PK_LIST16, u"lonlyled", 1316, 0, 0, 0, 0, u"lonlyled", 0, PA_READONLY},
    {PK_INT16, u"rssi", 1317, 0, 0, 0, 0, nullptr, 11, PA_READONLY},
    Caption(u"rs485sts"),
    {PK_UINT16, u"tx485ok", 1160, 0, 0, 0, 0, nullptr, 0, PA_READONLY},
    {PK_UINT16, u"rx485ok", 1161, 0, 0, 0, 0, nullptr, 0, PA_READONLY},
    {PK_UINT16, u"rx485err", 1162, 0, 0, 0, 0, nullptr, 0, PA_READONLY},
    Caption(u"ope"),
    {PK_LIST16, u"clr10duty", 1400, 0, 0, 0, 0, u"clr10duty", 0, PA_COMMAND},
    {PK_LIST32, u"resetcmd", 9000, 0, 0, 0, 0, u"resetcmd", 0, PA_COMMAND},
}};

// ---- CDevM_VKxxCF: monitor of the 43-channel model, which keeps no duty record ------------

constexpr std::size_t kClearDutyRow = 20;

constexpr auto kM_VKxxCF = WithoutRow(kM_VKxxC, kClearDutyRow);

// The derived tables must keep the rows where the devices expect them.
static_assert(kVK20A.size() == 17 && SameName(kVK20A[16].name, u"wlanwpakey"));
static_assert(kVK20B.size() == 19 && kVK20B[11].maximum == 2 && kVK20B[11].defaultValue == 2);
static_assert(kVK20A[11].maximum == 1 && kVK20A[11].defaultValue == 0);
static_assert(SameName(kVK20B[18].name, u"wlantxpowerrate"));
static_assert(kVK20B_2.size() == 24 && SameName(kVK20B_2[23].name, u"dns"));
static_assert(kVK20CF.size() == 27 && kVK20CF[11].kind == PK_CHANNEL43);
static_assert(SameName(kVK20C[kDutyTimeRow].name, u"dutytm"));
static_assert(SameName(kVK20CF[15].name, u"txpwr") && SameName(kVK20CF[26].name, u"routeretry"));
static_assert(SameName(kM_VKxxC[kClearDutyRow].name, u"clr10duty"));
static_assert(kM_VKxxCF.size() == 21 && SameName(kM_VKxxCF[20].name, u"resetcmd"));

} // namespace

std::span<const ParDefinition> VK20E() { return kVK20E; }
std::span<const ParDefinition> VK20A() { return kVK20A; }
std::span<const ParDefinition> VK20B() { return kVK20B; }
std::span<const ParDefinition> VK20B_2() { return kVK20B_2; }
std::span<const ParDefinition> VK20C() { return kVK20C; }
std::span<const ParDefinition> VK20CF() { return kVK20CF; }
std::span<const ParDefinition> M_VKxx() { return kM_VKxx; }
std::span<const ParDefinition> M_VKxxC() { return kM_VKxxC; }
std::span<const ParDefinition> M_VKxxCF() { return kM_VKxxCF; }

} // namespace ParameterTables
