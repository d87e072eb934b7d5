// ctest-label: gui
// The parameter list with real widgets: rows under group headings, each editor kind opened by
// the user, committing, cancelling and moving on as a technician does it, refused entries,
// dependent rows that grey out, command rows and the edit lock.

#include "../model/ScopedTestLanguage.h"
#include "ListTestLanguage.h"
#include "ModalAnswer.h"

#include "connection/CObserver.h"
#include "connection/widgets/CPopupWindow.h"
#include "model/CDevM_VKxxC.h"
#include "model/CDevVK20C.h"
#include "model/CDevVK20E.h"
#include "ui/CParameterCellDelegate.h"
#include "ui/CParameterListCtrl.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <vector>

namespace {

class CountingObserver : public CObserver {
public:
    void Update(void*) override { ++count; }
    int count = 0;
};

std::vector<std::uint16_t> Words(const CParInterface& parameter)
{
    const auto words = parameter.GetValue().GetWords();
    return {words.begin(), words.end()};
}

class ParameterListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&host);
        list = new CParameterListCtrl(&host);
        layout->addWidget(list);
        host.resize(640, 900);
        list->Initialize();
        list->AddObserver(owner);
        list->GetEditor().AddObserver(reports);
        host.show();
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    }

    template <typename Model>
    std::shared_ptr<Model> Show()
    {
        auto model = std::make_shared<Model>();
        device = model;
        list->SetDevice(model, false);
        list->setFocus();
        return model;
    }

    int Row(QStringView name) const { return list->RowOfParameter(device->IndexOf(name)); }
    CParInterface& Parameter(QStringView name) { return device->GetParameter(name); }
    QString ValueText(QStringView name) const { return list->GetRowText(Row(name), CParameterListCtrl::kValueColumn); }

    void ClickValue(QStringView name)
    {
        const int row = Row(name);
        ASSERT_GE(row, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->GetCellRect(row).center());
    }

    CEditText& TextEditor() { return list->GetEditor().GetTextEditor(); }
    CEditComboBox& ChoiceEditor() { return list->GetEditor().GetChoiceEditor(); }
    CEditChannel& ChannelEditor() { return list->GetEditor().GetChannelEditor(); }

    // Picks entry `position` in the open drop-down with the keyboard, as a user does.
    void ChooseEntry(int position)
    {
        QAbstractItemView* view = ChoiceEditor().view();
        ASSERT_TRUE(view->isVisible());
        QTest::keyClick(view, Qt::Key_Home);
        for (int i = 0; i < position; ++i)
            QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
        QCoreApplication::processEvents();
    }

    ScopedTestLanguage language{ListTestLanguageBody()};
    QWidget host;
    CParameterListCtrl* list = nullptr;
    std::shared_ptr<CDevInterface> device;
    CountingObserver owner;   // told after every accepted edit
    CountingObserver reports; // every result an editor reported
};

TEST_F(ParameterListTest, RowsSitUnderTheirHeadingsAndAModelChangeLeavesNoStaleRows)
{
    Show<CDevVK20C>();
    EXPECT_EQ(list->GetRowCount(), 24);
    Show<CDevVK20E>();
    EXPECT_EQ(list->GetGroupTitles(), (QStringList{"Information", "IP", "Modbus"}));
    ASSERT_EQ(list->GetRowCount(), 7);
    EXPECT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->GetRowText(0, CParameterListCtrl::kNameColumn), QStringLiteral("Tag"));
    EXPECT_EQ(ValueText(u"tag"), QStringLiteral("test-tag"));
    EXPECT_EQ(ValueText(u"tcptimeout"), QStringLiteral("60.0 (s)"));
    EXPECT_EQ(list->topLevelItem(1)->childCount(), 3);

    const int width = list->viewport()->width();
    EXPECT_EQ(list->columnWidth(CParameterListCtrl::kNameColumn), width * 47 / 100);
    EXPECT_EQ(list->columnWidth(CParameterListCtrl::kValueColumn), width - width * 47 / 100);

    Parameter(u"port").SetValue(8080);
    list->Refresh();
    EXPECT_EQ(ValueText(u"port"), QStringLiteral("8080"));
}

TEST_F(ParameterListTest, TextEditorCommitsOnEnterEvenWithoutAChange)
{
    Show<CDevVK20E>();
    ClickValue(u"port");
    ASSERT_TRUE(TextEditor().isVisible());
    EXPECT_EQ(TextEditor().geometry(), list->GetCellRect(Row(u"port")));
    EXPECT_EQ(TextEditor().selectedText(), QStringLiteral("502"));
    EXPECT_TRUE(TextEditor().hasFocus());

    QTest::keyClicks(&TextEditor(), QStringLiteral("8080"));
    QTest::keyClick(&TextEditor(), Qt::Key_Return);
    EXPECT_FALSE(list->IsEditing());
    EXPECT_EQ(ValueText(u"port"), QStringLiteral("8080"));
    EXPECT_EQ(owner.count, 1);
    EXPECT_TRUE(list->hasFocus());

    ClickValue(u"port");
    QTest::keyClick(&TextEditor(), Qt::Key_Enter);
    EXPECT_EQ(Parameter(u"port").GetText(), QStringLiteral("8080"));
    EXPECT_EQ(owner.count, 2);
}

TEST_F(ParameterListTest, RefusedValueIsShownAndTheEditorReopensWithIt)
{
    Show<CDevVK20E>();
    ClickValue(u"port");
    QTest::keyClicks(&TextEditor(), QStringLiteral("70000"));
    MessageBoxAnswer boxes;
    QTest::keyClick(&TextEditor(), Qt::Key_Return);

    EXPECT_EQ(boxes.Texts(), QStringList{QStringLiteral("Port must be between 1 and 65535.")});
    ASSERT_TRUE(TextEditor().isVisible());
    EXPECT_EQ(TextEditor().text(), QStringLiteral("70000"));
    EXPECT_EQ(TextEditor().geometry(), list->GetCellRect(Row(u"port")));
    EXPECT_EQ(ValueText(u"port"), QStringLiteral("502"));
    EXPECT_EQ(Parameter(u"port").GetText(), QStringLiteral("502"));
    EXPECT_EQ(owner.count, 0);

    // The user corrects the entry in place.
    TextEditor().selectAll();
    QTest::keyClicks(&TextEditor(), QStringLiteral("7000"));
    QTest::keyClick(&TextEditor(), Qt::Key_Return);
    EXPECT_EQ(ValueText(u"port"), QStringLiteral("7000"));
    EXPECT_EQ(owner.count, 1);
}

TEST_F(ParameterListTest, ArrowKeysCommitAndMoveToTheNeighbourRow)
{
    Show<CDevVK20E>();
    ClickValue(u"port");
    QTest::keyClicks(&TextEditor(), QStringLiteral("600"));
    QTest::keyClick(&TextEditor(), Qt::Key_Down);
    EXPECT_EQ(Parameter(u"port").GetText(), QStringLiteral("600"));
    EXPECT_EQ(list->GetSelectedRow(), Row(u"tcptimeout"));
    ASSERT_TRUE(TextEditor().isVisible());
    EXPECT_EQ(TextEditor().text(), QStringLiteral("60.0"));

    QTest::keyClick(&TextEditor(), Qt::Key_Up);
    EXPECT_EQ(list->GetSelectedRow(), Row(u"port"));
    EXPECT_EQ(TextEditor().text(), QStringLiteral("600"));

    // The last row: Down commits, keeps the row and opens its editor again.
    QTest::keyClick(&TextEditor(), Qt::Key_Escape); // the field ignores Escape; leave it
    ClickValue(u"runtimeout");
    QTest::keyClicks(&TextEditor(), QStringLiteral("7.5"));
    QTest::keyClick(&TextEditor(), Qt::Key_Down);
    EXPECT_EQ(Parameter(u"runtimeout").GetText(), QStringLiteral("7.5"));
    EXPECT_EQ(list->GetSelectedRow(), list->GetRowCount() - 1);
    EXPECT_TRUE(TextEditor().isVisible());
    EXPECT_EQ(owner.count, 3);
}

TEST_F(ParameterListTest, LeavingTheEditorDropsTheTypedText)
{
    Show<CDevVK20E>();
    ClickValue(u"tag");
    QTest::keyClicks(&TextEditor(), QStringLiteral("changed"));
    const QRect otherName = list->visualItemRect(list->currentItem()).translated(0, 3 * list->sizeHintForRow(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(10, otherName.center().y()));

    EXPECT_FALSE(TextEditor().isVisible());
    EXPECT_EQ(Parameter(u"tag").GetText(), QStringLiteral("test-tag"));
    EXPECT_EQ(owner.count, 0);
    EXPECT_EQ(reports.count, 1) << "one cancelling report";
    EXPECT_EQ(list->GetEditor().GetResult(), CParEdit::kNotCommitted);
}

TEST_F(ParameterListTest, TypingOnARowStartsItsEditorWithTheTypedCharacter)
{
    Show<CDevVK20C>();
    list->SelectRow(Row(u"nodeadrs"));
    QTest::keyClicks(list, QStringLiteral("4"));
    ASSERT_TRUE(TextEditor().isVisible());
    EXPECT_EQ(TextEditor().text(), QStringLiteral("4"));
    QTest::keyClicks(&TextEditor(), QStringLiteral("2"));
    QTest::keyClick(&TextEditor(), Qt::Key_Return);
    EXPECT_EQ(Parameter(u"nodeadrs").GetText(), QStringLiteral("42"));

    // On a choice row the character opens the list and is dropped.
    list->SelectRow(Row(u"rate"));
    QTest::keyClicks(list, QStringLiteral("2"));
    EXPECT_TRUE(ChoiceEditor().isVisible());
    EXPECT_FALSE(TextEditor().isVisible());
    EXPECT_EQ(Parameter(u"rate").GetText(), QStringLiteral("9600"));
}

TEST_F(ParameterListTest, TextIsCutAt99CharactersAndFreeTextCountsItsBytes)
{
    Show<CDevVK20E>();
    ClickValue(u"tag");
    EXPECT_EQ(TextEditor().GetCounter(), nullptr) << "the counter appears with the first change";
    QTest::keyClick(&TextEditor(), Qt::Key_A);
    QTest::sendKeyEvent(QTest::Click, &TextEditor(), Qt::Key_unknown, QString::fromUtf8("é"), Qt::NoModifier);
    const CPopupWindow* counter = TextEditor().GetCounter();
    ASSERT_NE(counter, nullptr);
    EXPECT_EQ(counter->GetCount(), 3);
    EXPECT_EQ(counter->GetText(), QStringLiteral("3 bytes"));
    EXPECT_EQ(counter->pos(), TextEditor().geometry().bottomLeft() + QPoint(0, 1));
    EXPECT_TRUE(counter->isVisible());

    TextEditor().selectAll();
    TextEditor().insert(QString(100, u'x'));
    EXPECT_EQ(TextEditor().text().size(), 99);
    EXPECT_EQ(TextEditor().GetCounter()->GetCount(), 99);

    list->HideEditors();
    EXPECT_EQ(TextEditor().GetCounter(), nullptr) << "gone with the editor";

    // Numbers have no counter.
    ClickValue(u"port");
    QTest::keyClicks(&TextEditor(), QStringLiteral("1"));
    EXPECT_EQ(TextEditor().GetCounter(), nullptr);
}

TEST_F(ParameterListTest, ChoiceCommitsAndDependentRowsGreyOut)
{
    Show<CDevVK20C>();
    ClickValue(u"fixroute");
    ASSERT_TRUE(ChoiceEditor().isVisible());
    EXPECT_EQ(ChoiceEditor().count(), 2);
    EXPECT_EQ(ChoiceEditor().currentText(), QStringLiteral("Off"));
    ChooseEntry(1);
    EXPECT_FALSE(ChoiceEditor().isVisible());
    EXPECT_EQ(ValueText(u"fixroute"), QStringLiteral("On"));
    EXPECT_FALSE(list->IsRowGreyed(Row(u"detoadrs")));

    Parameter(u"detoadrs").SetValue(0x12);
    Parameter(u"detoflg").SetValue(0);
    list->Refresh();
    ClickValue(u"fixroute");
    ChooseEntry(0);
    EXPECT_EQ(ValueText(u"detoadrs"), QStringLiteral("0000"));
    EXPECT_EQ(ValueText(u"detoflg"), QStringLiteral("Coordinator"));
    EXPECT_TRUE(list->IsRowGreyed(Row(u"detoadrs")));
    EXPECT_TRUE(list->IsRowGreyed(Row(u"detoflg")));
    EXPECT_EQ(owner.count, 2);

    ClickValue(u"detoadrs");
    ClickValue(u"detoflg");
    EXPECT_FALSE(list->IsEditing());
}

TEST_F(ParameterListTest, ClosingTheDropDownWithEscapeChangesNothing)
{
    Show<CDevVK20C>();
    ClickValue(u"rate");
    ASSERT_TRUE(ChoiceEditor().isVisible());
    EXPECT_EQ(ChoiceEditor().count(), 3) << "the language's list stops after three entries";
    QTest::keyClick(ChoiceEditor().view(), Qt::Key_Down);
    QTest::keyClick(ChoiceEditor().view(), Qt::Key_Escape);
    QTRY_VERIFY(!ChoiceEditor().isVisible());
    EXPECT_EQ(Parameter(u"rate").GetText(), QStringLiteral("9600"));
    EXPECT_EQ(owner.count, 0);
    EXPECT_EQ(reports.count, 1);
    QTRY_VERIFY(list->hasFocus());
}

TEST_F(ParameterListTest, ChannelPanelShowsTheSetAndAllowsTenChannels)
{
    Show<CDevVK20C>();
    CParInterface& channels = Parameter(u"ch");
    channels.AssignValue(CParValue(1201, 10, std::vector<std::uint16_t>{3, 17}, false));
    ClickValue(u"ch");
    CEditChannel& panel = ChannelEditor();
    ASSERT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.GetChannelCount(), 28);
    for (int box = 1; box <= 43; ++box) {
        EXPECT_EQ(panel.Box(box).isChecked(), box == 3 || box == 17) << box;
        EXPECT_EQ(panel.Box(box).isHidden(), box > 28) << box;
    }
    EXPECT_TRUE(panel.Box(1).hasFocus());

    for (const int box : {1, 2, 4, 5, 6, 7, 8, 9})
        panel.Box(box).click();
    EXPECT_FALSE(panel.Box(20).isEnabled()) << "ten are checked";
    EXPECT_TRUE(panel.Box(9).isEnabled());
    panel.Box(9).click();
    EXPECT_TRUE(panel.Box(20).isEnabled());

    QTest::keyClick(&panel.Box(1), Qt::Key_Escape);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(Words(channels), (std::vector<std::uint16_t>{3, 17, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(owner.count, 0);
}

TEST_F(ParameterListTest, ChannelPanelOkStoresTheBoxesInBoxOrder)
{
    Show<CDevVK20C>();
    CParInterface& channels = Parameter(u"ch");
    channels.AssignValue(CParValue(1201, 10, std::vector<std::uint16_t>{3, 17}, false));
    ClickValue(u"ch");
    CEditChannel& panel = ChannelEditor();
    for (const int box : {3, 17, 5, 2})
        QTest::mouseClick(&panel.Box(box), Qt::LeftButton);
    QTest::mouseClick(&panel.OkButton(), Qt::LeftButton);

    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(Words(channels), (std::vector<std::uint16_t>{2, 5, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ValueText(u"ch"), QStringLiteral("2, 5"));
    EXPECT_EQ(owner.count, 1);
}

TEST_F(ParameterListTest, ChannelPanelClosesSilentlyWhenTheFocusLeavesIt)
{
    Show<CDevVK20C>();
    ClickValue(u"ch");
    ASSERT_TRUE(ChannelEditor().isVisible());
    ChannelEditor().Box(8).click();
    list->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(!ChannelEditor().isVisible(), 1000);
    EXPECT_EQ(reports.count, 0);
    EXPECT_EQ(Words(Parameter(u"ch")), std::vector<std::uint16_t>(10, 0));
}

TEST_F(ParameterListTest, ScrollingDropsTheOpenEdit)
{
    host.resize(640, 200);
    Show<CDevVK20C>();
    ClickValue(u"tag");
    ASSERT_TRUE(TextEditor().isVisible());
    QTest::keyClicks(&TextEditor(), QStringLiteral("x"));
    QScrollBar* bar = list->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    EXPECT_FALSE(list->IsEditing());
    EXPECT_EQ(reports.count, 0);
    EXPECT_EQ(Parameter(u"tag").GetText(), QStringLiteral("test-tag"));
}

TEST_F(ParameterListTest, CommandRowsWaitForCommandsAndTheLockStopsEveryEdit)
{
    Show<CDevM_VKxxC>();
    ClickValue(u"resetcmd");
    EXPECT_FALSE(list->IsEditing());
    EXPECT_TRUE(list->IsRowGreyed(Row(u"resetcmd")));

    list->EnableCommands(true);
    EXPECT_FALSE(list->IsRowGreyed(Row(u"resetcmd")));
    ClickValue(u"resetcmd");
    ChooseEntry(1);
    ASSERT_EQ(list->GetCommandCount(), 1);
    const CParValue command = list->PopCommand();
    EXPECT_EQ(command.GetAddress(), 9000);
    EXPECT_EQ(command, Parameter(u"resetcmd").GetValue());
    EXPECT_EQ(owner.count, 1);

    list->SetEditLock(true);
    ClickValue(u"resetcmd");
    EXPECT_FALSE(list->IsEditing());
    for (int row = 0; row < list->GetRowCount(); ++row)
        EXPECT_TRUE(list->IsRowGreyed(row)) << row;
}

TEST(ParameterCellColours, ValueCellsAreShadedTowardsTheMiddle)
{
    struct Case {
        QColor colour;
        double factor;
        QColor shaded;
    };
    const Case cases[] = {
        {QColor(255, 255, 255), 0.05, QColor(242, 242, 242)},
        {QColor(255, 255, 255), 0.10, QColor(229, 229, 229)},
        {QColor(200, 100, 90), 0.05, QColor(190, 95, 85)},   // sum 390: darker
        {QColor(128, 128, 127), 0.10, QColor(140, 140, 139)}, // sum 383: lighter
        {QColor(40, 40, 40), 0.10, QColor(44, 44, 44)},      // a dark theme gets lighter cells
        {QColor(250, 0, 0), 0.10, QColor(255, 0, 0)},        // clamped at 255
        {QColor(0, 0, 0), 0.10, QColor(0, 0, 0)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CParameterCellDelegate::Shade(c.colour, c.factor), c.shaded) << c.colour.name().toStdString();
}

} // namespace
