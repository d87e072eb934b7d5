// ctest-label: gui
// Dialog texts reach every control by its id, nested ones included; texts the language file
// lacks leave the widget's own text, and the dialog font reaches every descendant.

#include "app/CResourceDatabase.h"
#include "app/widgets/DialogTexts.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QWidget* WithId(QWidget* widget, int id)
{
    widget->setProperty(kControlIdProperty, id);
    return widget;
}

TEST(DialogTexts, ReachNestedControlsAndKeepTextsTheFileLacks)
{
    // The connect dialog of the shipped English file.
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("resource title"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* group = new QGroupBox(QStringLiteral("group"), &dialog);
    auto* inner = new QVBoxLayout(group);
    auto* radio = static_cast<QRadioButton*>(WithId(new QRadioButton(QStringLiteral("radio default")), 1001));
    inner->addWidget(radio);
    layout->addWidget(group);
    auto* unknown = static_cast<QLabel*>(WithId(new QLabel(QStringLiteral("kept")), 9999));
    layout->addWidget(unknown);
    auto* button = static_cast<QPushButton*>(WithId(new QPushButton(QStringLiteral("ok default")), 1));
    layout->addWidget(button);

    ApplyDialogTexts(129, dialog);
    const CResourceDatabase& db = CResourceDatabase::Instance();
    EXPECT_EQ(dialog.windowTitle(), db.GetGuiText(129, 0));
    EXPECT_EQ(radio->text(), db.GetGuiText(129, 1001));
    EXPECT_FALSE(radio->text().isEmpty());
    EXPECT_EQ(button->text(), db.GetGuiText(129, 1));
    EXPECT_EQ(unknown->text(), QStringLiteral("kept"));

    QDialog untitled;
    untitled.setWindowTitle(QStringLiteral("own title"));
    ApplyDialogTexts(4242, untitled);
    EXPECT_EQ(untitled.windowTitle(), QStringLiteral("own title"));
}

TEST(DialogTexts, FontReachesEveryDescendant)
{
    QDialog dialog;
    auto* group = new QGroupBox(&dialog);
    auto* label = new QLabel(group);
    ApplyDialogFont(dialog);
    EXPECT_EQ(label->font(), GetDialogFont());
    EXPECT_EQ(dialog.font(), GetDialogFont());
}

} // namespace
