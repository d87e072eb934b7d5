// ctest-label: unit
// The parameter list's data side: the rows a set gives, which rows may be edited now and with
// which editor, the choices of a list, how committed edits are stored (and refused ones are
// not), the queue of command values, and the channel set of the channel panel.

#include "../model/ScopedTestLanguage.h"
#include "../ui/ListTestLanguage.h"

#include "app/CParameterSheet.h"
#include "app/ChannelSelection.h"
#include "model/CDevM_VKxxC.h"
#include "model/CDevVK20C.h"
#include "model/CDevVK20CF.h"
#include "model/CDevVK20E.h"
#include "modbus/CPrivateException.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

std::vector<std::uint16_t> Words(const CParValue& value)
{
    const auto words = value.GetWords();
    return {words.begin(), words.end()};
}

class ParameterSheetTest : public ::testing::Test {
protected:
    template <typename Model>
    std::shared_ptr<Model> Show()
    {
        auto device = std::make_shared<Model>();
        sheet.SetDevice(device);
        return device;
    }

    ScopedTestLanguage language{ListTestLanguageBody()};
    CParameterSheet sheet;
};

TEST_F(ParameterSheetTest, RowsFollowTheTableWithNamesAndValueTexts)
{
    EXPECT_TRUE(sheet.Rows().empty());
    Show<CDevVK20E>();
    const std::vector<ParameterRow> rows = sheet.Rows();
    ASSERT_EQ(rows.size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(rows[static_cast<std::size_t>(i)].index, i);
    EXPECT_TRUE(rows[0].caption);
    EXPECT_EQ(rows[0].name, QStringLiteral("Information"));
    EXPECT_TRUE(rows[0].value.isEmpty());
    EXPECT_FALSE(rows[1].caption);
    EXPECT_EQ(rows[1].value, QStringLiteral("test-tag"));
    EXPECT_EQ(rows[7].name, QStringLiteral("Port"));
    EXPECT_EQ(rows[8].value, QStringLiteral("60.0 (s)"));
}

TEST_F(ParameterSheetTest, EditorsByKind)
{
    struct Case {
        const char* name;
        ParEditor editor;
        bool countsBytes;
        int channels;
    };
    const Case cases[] = {
        {"tag", ParEditor::Text, true, 0},     {"nodeadrs", ParEditor::Text, false, 0},
        {"panid", ParEditor::Text, false, 0},  {"netname", ParEditor::Text, true, 0},
        {"enckey", ParEditor::Text, true, 0},  {"rate", ParEditor::Choice, false, 0},
        {"ch", ParEditor::Channel, false, 28}, {"devinfo", ParEditor::None, false, 0},
    };
    const auto device = Show<CDevVK20C>();
    for (const Case& c : cases) {
        const int index = device->IndexOf(QString::fromLatin1(c.name));
        EXPECT_EQ(sheet.EditorOf(index), c.editor) << c.name;
        EXPECT_EQ(sheet.CountsBytes(index), c.countsBytes) << c.name;
        EXPECT_EQ(sheet.ChannelCount(index), c.channels) << c.name;
    }
    const auto wide = Show<CDevVK20CF>();
    EXPECT_EQ(sheet.ChannelCount(wide->IndexOf(u"ch")), 43);
}

TEST_F(ParameterSheetTest, DependentRowsGreyOutAndRefuseEditing)
{
    const auto device = Show<CDevVK20C>();
    const int fixroute = device->IndexOf(u"fixroute");
    const int address = device->IndexOf(u"detoadrs");
    const int kind = device->IndexOf(u"detoflg");
    EXPECT_FALSE(sheet.CanEdit(0)) << "a caption";
    EXPECT_TRUE(sheet.IsGreyed(0));

    device->GetAt(address).SetValue(0x1234);
    device->GetAt(kind).SetValue(0);
    sheet.CommitChoice(fixroute, 1);
    EXPECT_FALSE(sheet.IsGreyed(address));
    EXPECT_TRUE(sheet.CanEdit(address));
    EXPECT_EQ(Words(device->GetAt(address).GetValue()), (std::vector<std::uint16_t>{0x1234}));

    sheet.CommitChoice(fixroute, 0);
    EXPECT_EQ(Words(device->GetAt(address).GetValue()), (std::vector<std::uint16_t>{0}));
    EXPECT_EQ(device->GetAt(kind).GetText(), QStringLiteral("Coordinator"));
    for (const int index : {address, kind}) {
        EXPECT_TRUE(sheet.IsGreyed(index));
        EXPECT_FALSE(sheet.CanEdit(index));
    }
    EXPECT_EQ(sheet.GetCommandCount(), 0) << "configuration rows are no commands";
}

TEST_F(ParameterSheetTest, EditLockRefusesEveryRow)
{
    const auto device = Show<CDevVK20E>();
    sheet.SetEditLock(true);
    for (int index = 0; index < device->GetCount(); ++index) {
        EXPECT_TRUE(sheet.IsGreyed(index));
        EXPECT_FALSE(sheet.CanEdit(index));
    }
    sheet.SetEditLock(false);
    EXPECT_TRUE(sheet.CanEdit(device->IndexOf(u"port")));
}

TEST_F(ParameterSheetTest, CommandRowsWaitForCommandsAndQueueTheirValue)
{
    const auto monitor = Show<CDevM_VKxxC>();
    const int reset = monitor->IndexOf(u"resetcmd");
    const int rssi = monitor->IndexOf(u"rssi");
    // Status rows are read-only: never edited, yet not greyed.
    EXPECT_FALSE(sheet.IsGreyed(rssi));
    EXPECT_FALSE(sheet.CanEdit(rssi));
    EXPECT_TRUE(sheet.IsGreyed(reset));
    EXPECT_FALSE(sheet.CanEdit(reset));

    sheet.EnableCommands(true);
    EXPECT_TRUE(sheet.CanEdit(reset));
    sheet.CommitChoice(reset, 1);
    ASSERT_EQ(sheet.GetCommandCount(), 1);
    const CParValue command = sheet.PopCommand();
    EXPECT_EQ(command, monitor->GetAt(reset).GetValue());
    EXPECT_EQ(command.GetAddress(), 9000);
    EXPECT_EQ(Words(command), (std::vector<std::uint16_t>{1, 0}));
    EXPECT_EQ(sheet.GetCommandCount(), 0);
    EXPECT_THROW(sheet.PopCommand(), std::out_of_range);
}

TEST_F(ParameterSheetTest, ChoicesEndAtTheFirstEntryWithoutText)
{
    const auto device = Show<CDevVK20C>();
    const int rate = device->IndexOf(u"rate");
    device->GetAt(rate).SetValue(2);
    int selected = -1;
    const std::vector<ParChoice> choices = sheet.Choices(rate, selected);
    ASSERT_EQ(choices.size(), 3u);
    EXPECT_EQ(choices[1].text, QStringLiteral("19200"));
    EXPECT_EQ(choices[1].value, 1);
    EXPECT_EQ(selected, 2);

    // A value the list has no entry for selects the first entry.
    device->GetAt(rate).SetValue(3);
    sheet.Choices(rate, selected);
    EXPECT_EQ(selected, 0);
    EXPECT_TRUE(sheet.Choices(device->IndexOf(u"tag"), selected).empty());
}

TEST_F(ParameterSheetTest, RefusedTextStoresNothing)
{
    const auto device = Show<CDevVK20E>();
    const int port = device->IndexOf(u"port");
    try {
        sheet.CommitText(port, QStringLiteral("70000"));
        FAIL() << "70000 is no port";
    } catch (const CException& error) {
        EXPECT_EQ(error.ErrorText(), QStringLiteral("Port must be between 1 and 65535."));
    }
    EXPECT_EQ(device->GetAt(port).GetText(), QStringLiteral("502"));
    sheet.CommitText(port, QStringLiteral("8080"));
    EXPECT_EQ(device->GetAt(port).GetText(), QStringLiteral("8080"));
}

TEST_F(ParameterSheetTest, CommittedChannelsReplaceTheImage)
{
    const auto device = Show<CDevVK20C>();
    const int channels = device->IndexOf(u"ch");
    CParValue image = device->GetAt(channels).GetValue();
    ChannelChecks checks{};
    checks[4] = checks[1] = true;
    StoreChannels(checks, image);
    sheet.CommitChannels(channels, image);
    EXPECT_EQ(device->GetAt(channels).GetText(), QStringLiteral("2, 5"));
    EXPECT_EQ(device->GetAt(channels).GetValue().GetAddress(), 1201);
}

TEST(ChannelSelection, BoxesFromWordsAndWordsInBoxOrder)
{
    CParValue image(1201, 10, std::vector<std::uint16_t>{17, 3, 0, 0, 44, 0, 0, 0, 0, 0}, false);
    const ChannelChecks checks = ChannelsOfImage(image);
    EXPECT_EQ(CheckedChannelCount(checks), 2) << "0 and numbers past 43 check nothing";
    EXPECT_TRUE(checks[2]);
    EXPECT_TRUE(checks[16]);

    StoreChannels(checks, image);
    EXPECT_EQ(Words(image), (std::vector<std::uint16_t>{3, 17, 0, 0, 0, 0, 0, 0, 0, 0}));

    // More than ten checked boxes keep the first ten in box order.
    ChannelChecks many{};
    for (int box = 30; box <= 43; ++box)
        many[static_cast<std::size_t>(box - 1)] = true;
    StoreChannels(many, image);
    EXPECT_EQ(Words(image), (std::vector<std::uint16_t>{30, 31, 32, 33, 34, 35, 36, 37, 38, 39}));
}

TEST(ChannelSelection, TenCheckedBoxesLeaveOnlyThemSelectable)
{
    ChannelChecks checks{};
    for (int box = 1; box <= 9; ++box)
        checks[static_cast<std::size_t>(box - 1)] = true;
    EXPECT_TRUE(IsChannelBoxSelectable(checks, 20));
    checks[9] = true;
    EXPECT_FALSE(IsChannelBoxSelectable(checks, 20));
    EXPECT_TRUE(IsChannelBoxSelectable(checks, 10));
    EXPECT_FALSE(IsChannelBoxSelectable(checks, 0));
    EXPECT_FALSE(IsChannelBoxSelectable(checks, 44));
}

} // namespace
