// ctest-label: unit
// Parameters: default words by kind, the value text of every kind, numbers written for
// messages, list lookups in both list forms, and what typed text stores in the words.

#include "ScopedTestLanguage.h"

#include "model/CParInterface.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr char16_t kSection[] = u"T";

const QString kLanguage = QStringLiteral(
    "<message><text name=\"unitsec\">s</text><text name=\"unitdbm\">dBm</text></message>"
    "<parameter name=\"T\">"
    "<list name=\"mode\">"
    "<item name=\"0\"><value>5</value><text>five</text></item>"
    "<item name=\"1\"><value>7</value><text>seven</text></item>"
    "<item name=\"2\"><value>65536</value><text>big</text></item>"
    "</list>"
    "<list name=\"short\"><text name=\"0\">zero</text><text name=\"1\">one</text></list>"
    "<list name=\"empty\"></list>"
    "</parameter>");

constexpr ParDefinition Row(ParKind kind, std::int32_t maximum = 0, std::int32_t defaultValue = 0,
                            std::int32_t decimals = 0, const char16_t* list = nullptr,
                            std::int32_t unit = 0, std::int32_t minimum = 0)
{
    return {kind, u"p", 1000, minimum, maximum, defaultValue, decimals, list, unit, 0};
}

// Rows that several tests use; a parameter keeps a pointer to its row.
constexpr ParDefinition kNetName = Row(PK_NETNAME, 16);
constexpr ParDefinition kText = Row(PK_TEXT, 16);
constexpr ParDefinition kNumber = Row(PK_UINT16, 65535);
constexpr ParDefinition kModeList = Row(PK_LIST16, 0, 0, 0, u"mode");
constexpr ParDefinition kModeList32 = Row(PK_LIST32, 0, 0, 0, u"mode");
constexpr ParDefinition kShortList32 = Row(PK_LIST32, 0, 0, 0, u"short");
constexpr ParDefinition kEmptyList = Row(PK_LIST16, 0, 0, 0, u"empty");
constexpr ParDefinition kAddress = Row(PK_IPADDR, 0, Ipv4Default(10, 0, 0, 1));
constexpr ParDefinition kKey = Row(PK_ENCKEY, 32);
constexpr ParDefinition kChannels = Row(PK_CHANNEL28, 10);

std::vector<std::uint16_t> Words(const CParInterface& parameter)
{
    const auto words = parameter.GetValue().GetWords();
    return {words.begin(), words.end()};
}

CParInterface WithWords(const ParDefinition& row, const std::vector<std::uint16_t>& words)
{
    CParInterface parameter(kSection, row);
    const CParValue& current = parameter.GetValue();
    parameter.AssignValue(CParValue(current.GetAddress(), current.GetCount(), words, current.IsHighByteFirst()));
    return parameter;
}

class ParTextTest : public ::testing::Test {
protected:
    ScopedTestLanguage m_language{kLanguage};
};

struct DefaultCase {
    const char* what;
    ParDefinition row;
    std::vector<std::uint16_t> words;
    QString text;
};

TEST_F(ParTextTest, NewParametersHoldTheDefaultOfTheirKind)
{
    const std::vector<DefaultCase> cases = {
        {"caption", Row(PK_CAPTION), {}, ""},
        {"text, 8 registers for 16 bytes", Row(PK_TEXT, 16),
         {0x6574, 0x7473, 0x742D, 0x6761, 0, 0, 0, 0}, "test-tag"},
        {"network name starts empty", Row(PK_NETNAME, 16), std::vector<std::uint16_t>(8, 0), ""},
        {"address 192.168.0.1", Row(PK_IPADDR, 0, Ipv4Default(192, 168, 0, 1)), {0xC0A8, 0x0001}, "192.168.0.1"},
        {"address 255.255.255.0", Row(PK_IPADDR, 0, Ipv4Default(255, 255, 255, 0)), {0xFFFF, 0xFF00},
         "255.255.255.0"},
        {"16-bit number", Row(PK_UINT16, 65535, 502), {502}, "502"},
        {"32-bit number, low word first", Row(PK_UINT32, 0, 0x12345678), {0x5678, 0x1234}, "305419896"},
        {"32-bit list value 0", Row(PK_LIST32, 0, 0, 0, u"short"), {0, 0}, "zero"},
        {"SSID, always 16 registers", Row(PK_SSID, 10), {0x6574, 0x7473, 0x732D, 0x6973, 0x0064, 0, 0, 0,
                                                        0, 0, 0, 0, 0, 0, 0, 0}, "test-ssid"},
        {"WEP key", Row(PK_WEPKEY, 26), {0x3131, 0x3131, 0x3131, 0x3131, 0x3131, 0x3131, 0x0031, 0, 0, 0,
                                         0, 0, 0}, "1111111111111"},
        {"encryption key", Row(PK_ENCKEY, 32), std::vector<std::uint16_t>(8, 0),
         "00000000000000000000000000000000"},
        {"channel set", Row(PK_CHANNEL43, 10), std::vector<std::uint16_t>(10, 0), ""},
        {"64-bit MAC", Row(PK_MAC64, 23), {0, 0, 0, 0}, "00:00:00:00:00:00:00:00"},
        {"version", Row(PK_VERSIONHEX, 3), {0, 0, 0}, "0.0.0"},
    };
    for (const DefaultCase& c : cases) {
        SCOPED_TRACE(c.what);
        const CParInterface parameter(kSection, c.row);
        EXPECT_EQ(Words(parameter), c.words);
        EXPECT_EQ(parameter.GetText(), c.text);
        EXPECT_EQ(parameter.GetValue().GetAddress(), c.row.kind == PK_CAPTION ? 0 : 1000);
    }
    // Only network names store their text high byte first.
    EXPECT_TRUE(CParInterface(kSection, kNetName).GetValue().IsHighByteFirst());
    EXPECT_FALSE(CParInterface(kSection, kText).GetValue().IsHighByteFirst());
}

struct TextCase {
    const char* what;
    ParDefinition row;
    std::vector<std::uint16_t> words;
    QString text;
    QString textWithUnit;
};

TEST_F(ParTextTest, ValueTextsFollowTheKind)
{
    const std::vector<TextCase> cases = {
        {"one decimal", Row(PK_UINT16, 32000, 0, 1, nullptr, 1), {600}, "60.0", "60.0 (s)"},
        {"two decimals round up to the place", Row(PK_UINT16, 32000, 0, 2), {1}, "0.01", "0.01"},
        {"unsigned 16-bit", Row(PK_UINT16, 65535), {0xFFFF}, "65535", "65535"},
        {"signed 16-bit", Row(PK_INT16, 0, 0, 0, nullptr, 11), {0xFFFE}, "-2", "-2 (dBm)"},
        {"signed with a decimal", Row(PK_INT16, 0, 0, 1), {0xFFFB}, "-0.5", "-0.5"},
        {"32-bit with hexadecimal form", Row(PK_UINT32HEX), {255, 0}, "255", "255 (0xFF)"},
        {"32-bit high word", Row(PK_UINT32), {0, 1}, "65536", "65536"},
        {"hexadecimal 16-bit", Row(PK_HEX16), {0x1A}, "001A", "001A"},
        {"list item with explicit value", Row(PK_LIST16, 0, 0, 0, u"mode"), {7}, "seven", "seven"},
        {"list in short form", Row(PK_LIST16, 0, 0, 0, u"short"), {1}, "one", "one"},
        {"list value without text", Row(PK_LIST16, 0, 0, 0, u"mode"), {6}, "", ""},
        {"32-bit list value", Row(PK_LIST32, 0, 0, 0, u"mode"), {0, 1}, "big", "big"},
        {"encryption key", Row(PK_ENCKEY, 32), {0, 0, 0, 0, 0, 0, 0x1234, 0xABCD},
         "000000000000000000000000" "1234ABCD", "000000000000000000000000" "1234ABCD"},
        {"channel set skips empty slots", Row(PK_CHANNEL28, 10), {3, 0, 17, 0, 0, 0, 0, 0, 0, 0}, "3, 17",
         "3, 17"},
        {"48-bit MAC", Row(PK_MAC48, 17), {0x0011, 0x2233, 0x4455}, "00:11:22:33:44:55", "00:11:22:33:44:55"},
        {"version", Row(PK_VERSION, 3), {1, 2, 10}, "1.2.10", "1.2.10"},
        {"hexadecimal version", Row(PK_VERSIONHEX, 3), {1, 0x1A, 0xFF}, "1.1a.ff", "1.1a.ff"},
        {"network name, high byte first", Row(PK_NETNAME, 4), {0x4142, 0x0043}, "ABC", "ABC"},
        {"text is UTF-8", Row(PK_TEXT, 4), {0xA9C3, 0x0000}, QStringLiteral("\u00e9"), QStringLiteral("\u00e9")},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.what);
        const CParInterface parameter = WithWords(c.row, c.words);
        EXPECT_EQ(parameter.GetText(), c.text);
        EXPECT_EQ(parameter.GetTextWithUnit(), c.textWithUnit);
    }
}

TEST_F(ParTextTest, NumbersForMessagesAreWrittenAsTheRowWritesValues)
{
    struct Case {
        ParDefinition row;
        std::int64_t number;
        QString text;
    };
    const std::vector<Case> cases = {
        {Row(PK_UINT16, 0, 0, 1), 32000, "3200.0"},
        {Row(PK_UINT16), 65535, "65535"},
        {Row(PK_INT16), 65535, "-1"}, // reduced to 16 bits
        {Row(PK_UINT32), 4294967295, "4294967295"},
        {Row(PK_HEX16), 65534, "FFFE"},
        {Row(PK_LIST16, 0, 0, 0, u"mode"), 5, "five"},
        {Row(PK_IPADDR), 5, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(CParInterface(kSection, c.row).FormatNumber(c.number), c.text);
    }
}

TEST_F(ParTextTest, ListEntriesComeFromEitherListForm)
{
    const CParInterface items(kSection, kModeList);
    EXPECT_EQ(items.GetListValue(0), 5);
    EXPECT_EQ(items.GetListValue(1), 7);
    EXPECT_EQ(items.GetListValue(3), -1);

    const CParInterface shortForm(kSection, kShortList32);
    EXPECT_EQ(shortForm.GetListValue(1), 1);
    EXPECT_EQ(shortForm.GetListValue(2), -1);

    const CParInterface empty(kSection, kEmptyList);
    EXPECT_EQ(empty.GetListValue(0), -1);

    // Other kinds count positions.
    EXPECT_EQ(CParInterface(kSection, kNumber).GetListValue(4), 4);
}

TEST_F(ParTextTest, UnitTextsComeFromTheMessages)
{
    EXPECT_EQ(CParInterface::GetUnitText(0), "");
    EXPECT_EQ(CParInterface::GetUnitText(1), "s");
    EXPECT_EQ(CParInterface::GetUnitText(11), "dBm");
    EXPECT_EQ(CParInterface::GetUnitText(12), "");
    EXPECT_EQ(CParInterface::GetUnitText(-1), "");
}

TEST_F(ParTextTest, SetValueStoresRegisterValuesOfNumberAndListKinds)
{
    CParInterface list16(kSection, kModeList);
    list16.SetValue(7);
    EXPECT_EQ(Words(list16), std::vector<std::uint16_t>{7});

    CParInterface number(kSection, kNumber);
    number.SetValue(70000);
    EXPECT_EQ(Words(number), std::vector<std::uint16_t>{4464});

    CParInterface list32(kSection, kModeList32);
    list32.SetValue(0x00010002);
    EXPECT_EQ(Words(list32), (std::vector<std::uint16_t>{2, 1}));

    CParInterface address(kSection, kAddress);
    address.SetValue(5);
    EXPECT_EQ(address.GetText(), "10.0.0.1");
}

struct StoreCase {
    const char* what;
    ParDefinition row;
    QString typed;
    std::vector<std::uint16_t> words;
};

TEST_F(ParTextTest, TypedTextIsStoredInTheWords)
{
    const std::vector<StoreCase> cases = {
        {"network name high byte first", Row(PK_NETNAME, 6), "AB", {0x4142, 0, 0}},
        {"address", Row(PK_IPADDR), "192.168.000.001", {0xC0A8, 0x0001}},
        {"address with an empty octet", Row(PK_IPADDR), "10..0.1", {0x0A00, 0x0001}},
        {"whole number with blanks and sign", Row(PK_UINT16, 65535), " +7", {7}},
        {"one decimal", Row(PK_UINT16, 32000, 0, 1), "60", {600}},
        {"one decimal, cut toward zero", Row(PK_UINT16, 32000, 0, 1), "3200.04", {32000}},
        {"0.29 survives binary rounding", Row(PK_UINT16, 32000, 0, 2), "0.29", {29}},
        {"0.05 with one decimal is 0", Row(PK_UINT16, 32000, 0, 1), "0.05", {0}},
        {"exponent form", Row(PK_UINT16, 32000, 0, 1), "1e2", {1000}},
        {"negative with a decimal", Row(PK_INT16, 100, 0, 1, nullptr, 0, -100), "-0.5", {0xFFFB}},
        {"negative whole number", Row(PK_INT16, 100, 0, 0, nullptr, 0, -100), "-5", {0xFFFB}},
        {"32-bit decimal", Row(PK_UINT32, 100000), "70000", {4464, 1}},
        {"32-bit with 0x prefix", Row(PK_UINT32HEX, 100000), "0x1A", {26, 0}},
        {"hexadecimal", Row(PK_HEX16, 65534), "ff", {0xFF}},
        {"hexadecimal with 0x prefix", Row(PK_HEX16, 65534), "0x1A", {0x1A}},
        {"encryption key normalised", Row(PK_ENCKEY, 32), "abc", {0, 0, 0, 0, 0, 0, 0, 0x0ABC}},
        {"list kinds are not typed", Row(PK_LIST16, 0, 3, 0, u"mode"), "7", {3}},
        {"channel sets are not typed", Row(PK_CHANNEL28, 10), "1, 2", std::vector<std::uint16_t>(10, 0)},
    };
    for (const StoreCase& c : cases) {
        SCOPED_TRACE(c.what);
        CParInterface parameter(kSection, c.row);
        parameter.SetText(c.typed);
        EXPECT_EQ(Words(parameter), c.words);
    }
}

TEST_F(ParTextTest, TypedEncryptionKeyReadsBackAsThirtyTwoUpperCaseDigits)
{
    CParInterface key(kSection, kKey);
    key.SetText("abc");
    EXPECT_EQ(key.GetText(), QString(29, u'0') + "ABC");
}

TEST_F(ParTextTest, AssignValueReplacesTheWholeImage)
{
    CParInterface channels(kSection, kChannels);
    const std::vector<std::uint16_t> set = {3, 0, 17, 0, 0, 0, 0, 0, 0, 0};
    channels.AssignValue(CParValue(1000, 10, set, false));
    EXPECT_EQ(Words(channels), set);
    EXPECT_EQ(channels.GetText(), "3, 17");
}

} // namespace
