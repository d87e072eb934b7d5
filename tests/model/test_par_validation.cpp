// ctest-label: unit
// Input checks of typed text on the real table rows: each refusal carries its message key with
// the arguments in insert order (limits written as the row writes values), and leaves the
// stored words exactly as they were.

#include "ScopedTestLanguage.h"

#include "model/CDevVK20A.h"
#include "model/CDevVK20C.h"
#include "modbus/CPrivateException.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Messages that take arguments show them separated, so that a test sees each one and its
// order; the others are missing, so their message is the key itself.
const QString kLanguage = QStringLiteral(
    "<message>"
    "<text name=\"rangeerr\">range:%1|%2|%3</text>"
    "<text name=\"toolongerr\">toolong:%1|%2!d!</text>"
    "<text name=\"nwknameerr\">nwkname:%1|%2!d!</text>"
    "<text name=\"ssiderr\">ssid:%1</text>"
    "<text name=\"weperr\">wep:%1</text>"
    "<text name=\"wpaerr\">wpa:%1</text>"
    "<text name=\"enckeyerr\">enckey:%1</text>"
    "</message>"
    "<parameter name=\"VK20A\">"
    "<text name=\"tag\">Tag</text><text name=\"ipadrs\">IP</text><text name=\"port\">Port</text>"
    "<text name=\"tcptimeout\">Timeout</text><text name=\"wlanssid\">SSID</text>"
    "<text name=\"wlanwepkey\">WEP</text><text name=\"wlanwpakey\">WPA</text>"
    "</parameter>"
    "<parameter name=\"VK20C\">"
    "<text name=\"dutytm\">Duty</text><text name=\"panid\">PAN</text>"
    "<text name=\"netname\">Net</text><text name=\"enckey\">Key</text>"
    "</parameter>");

class ParValidationTest : public ::testing::Test {
protected:
    CParInterface& Parameter(const char16_t* name)
    {
        // Every name below is unique to one of the two models.
        const int index = m_wireless.IndexOf(name);
        return index != 0 ? m_wireless.GetAt(index) : m_radio.GetParameter(name);
    }

    ScopedTestLanguage m_language{kLanguage};
    CDevVK20A m_wireless;
    CDevVK20C m_radio;
};

struct Refusal {
    const char16_t* name;
    QString typed;
    QString message;
};

TEST_F(ParValidationTest, RefusedTextsReportTheirMessageAndLeaveTheWordsUntouched)
{
    const QString thirtyThree(33, u'a');
    const std::vector<Refusal> cases = {
        // Whole numbers: syntax first, then the range with the row's limits.
        {u"port", "0", "range:Port|1|65535"},
        {u"port", "65536", "range:Port|1|65535"},
        {u"port", "-1", "range:Port|1|65535"},
        {u"port", "4294967296", "inpierr"},
        {u"port", "12a", "inpierr"},
        {u"port", "12 ", "inpierr"},
        {u"port", "", "inpierr"},
        {u"port", " ", "inpierr"},
        {u"dutytm", "-5", "range:Duty|10|3600"},
        // Decimals: limits shown with the decimals; overflow and junk are input errors.
        {u"tcptimeout", "3200.1", "range:Timeout|0.0|3200.0"},
        {u"tcptimeout", "1e30", "range:Timeout|0.0|3200.0"},
        {u"tcptimeout", "-1e30", "range:Timeout|0.0|3200.0"},
        {u"tcptimeout", "1e999", "inperr"},
        {u"tcptimeout", "nan", "inperr"},
        {u"tcptimeout", "1,5", "inperr"},
        {u"tcptimeout", "+-1", "inperr"},
        {u"tcptimeout", "", "inperr"},
        // Hexadecimal: limits in hexadecimal.
        {u"panid", "FFFF", "range:PAN|0000|FFFE"},
        {u"panid", "G1", "inpherr"},
        {u"panid", "0x", "inpherr"},
        {u"panid", "1FFFFFFFF", "inpherr"},
        {u"panid", "", "inpherr"},
        // Addresses.
        {u"ipadrs", "192.168.0.256", "iperr"},
        {u"ipadrs", "192.168.0", "iperr"},
        {u"ipadrs", "10.0.0.1.", "iperr"},
        {u"ipadrs", "10.0.0.", "iperr"},
        {u"ipadrs", "-1.0.0.0", "iperr"},
        {u"ipadrs", "1.2.3.4 ", "iperr"},
        {u"ipadrs", "", "iperr"},
        // Texts and keys.
        {u"tag", QString(17, QChar(0x00E9)), "toolong:Tag|32"},
        {u"netname", "a,b", "nwkname:Net|16"},
        {u"netname", QString(17, u'a'), "toolong:Net|16"},
        {u"wlanssid", "", "ssid:SSID"},
        {u"wlanssid", "my net", "ssid:SSID"},
        {u"wlanssid", thirtyThree, "ssid:SSID"},
        {u"wlanssid", QStringLiteral("caf\u00e9"), "ssid:SSID"},
        {u"wlanwepkey", "abcdef", "wep:WEP"},
        {u"wlanwepkey", "0123456789abcdeg", "wep:WEP"},
        {u"wlanwepkey", "012345678g", "wep:WEP"},
        {u"wlanwepkey", "abc d", "wep:WEP"},
        {u"wlanwpakey", "abcdefg", "wpa:WPA"},
        {u"wlanwpakey", QString(63, u'a') + "g", "wpa:WPA"},
        {u"wlanwpakey", QString(65, u'a'), "wpa:WPA"},
        {u"enckey", "", "enckey:Key"},
        {u"enckey", QString(33, u'1'), "enckey:Key"},
        {u"enckey", "xyz", "enckey:Key"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 <- \"%2\"").arg(QStringView(c.name), c.typed).toStdString());
        CParInterface& parameter = Parameter(c.name);
        const CParValue before = parameter.GetValue();
        try {
            parameter.SetText(c.typed);
            ADD_FAILURE() << "accepted";
        } catch (const CPrivateException& error) {
            EXPECT_EQ(error.ErrorText(), c.message);
        }
        EXPECT_EQ(parameter.GetValue(), before);
    }
}

struct Acceptance {
    const char16_t* name;
    QString typed;
    QString text;
};

TEST_F(ParValidationTest, AcceptedTextsAreShownAsStored)
{
    const QString hex26 = QStringLiteral("0123456789abcdefABCDEF0123");
    const std::vector<Acceptance> cases = {
        {u"port", "65535", "65535"},
        {u"tcptimeout", "1e2", "100.0"},
        {u"tcptimeout", "3200.0", "3200.0"},
        {u"dutytm", "600", "600"},
        {u"panid", "0x1A", "001A"},
        {u"ipadrs", "192.168.000.001", "192.168.0.1"},
        {u"tag", QString(16, QChar(0x00E9)), QString(16, QChar(0x00E9))},
        {u"netname", "", ""},
        {u"netname", "Plant-1 A_b.c@x", "Plant-1 A_b.c@x"},
        {u"wlanssid", QString(32, u'z'), QString(32, u'z')},
        {u"wlanssid", "a!~", "a!~"},
        {u"wlanwepkey", "abcde", "abcde"},
        {u"wlanwepkey", "!\"#$%&'()*+,-", "!\"#$%&'()*+,-"},
        {u"wlanwepkey", "0123456789", "0123456789"},
        {u"wlanwepkey", hex26, hex26},
        {u"wlanwpakey", "abcdefgh", "abcdefgh"},
        {u"wlanwpakey", QString(63, u'~'), QString(63, u'~')},
        {u"wlanwpakey", QString(64, u'F'), QString(64, u'F')},
        {u"enckey", "1F", QString(30, u'0') + "1F"},
    };
    for (const Acceptance& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 <- \"%2\"").arg(QStringView(c.name), c.typed).toStdString());
        CParInterface& parameter = Parameter(c.name);
        EXPECT_NO_THROW(parameter.SetText(c.typed));
        EXPECT_EQ(parameter.GetText(), c.text);
    }
}

TEST_F(ParValidationTest, AShorterTextEndsAtItsTerminatorButKeepsTheOldBytesBehindIt)
{
    CParInterface& tag = Parameter(u"tag");
    tag.SetText("abcdefgh");
    tag.SetText("abc");
    EXPECT_EQ(tag.GetText(), "abc");
    EXPECT_EQ(tag.GetValue().GetString(2), "efgh");
}

} // namespace
