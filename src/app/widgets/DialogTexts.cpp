#include "app/widgets/DialogTexts.h"

#include "app/CResourceDatabase.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMetaProperty>
#include <QWidget>

#include <optional>

namespace {

std::optional<QFont>& DialogFont()
{
    static std::optional<QFont> font;
    return font;
}

// Labels, buttons and edits have a "text" property, group boxes a "title".
void SetControlText(QWidget& control, const QString& text)
{
    for (const char* name : {"text", "title"}) {
        const int index = control.metaObject()->indexOfProperty(name);
        if (index >= 0 && control.metaObject()->property(index).isWritable()) {
            control.setProperty(name, text);
            return;
        }
    }
    control.setWindowTitle(text);
}

} // namespace

void ApplyDialogTexts(int dialogId, QWidget& dialog)
{
    const CResourceDatabase& database = CResourceDatabase::Instance();
    const QString title = database.GetGuiText(dialogId, 0);
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
    for (QWidget* child : dialog.findChildren<QWidget*>()) {
        bool ok = false;
        const int id = child->property(kControlIdProperty).toInt(&ok);
        if (!ok || id == 0)
            continue;
        const QString text = database.GetGuiText(dialogId, id);
        if (!text.isEmpty())
            SetControlText(*child, text);
    }
}

void ApplyDialogFont(QWidget& dialog, bool recreate)
{
    auto& font = DialogFont();
    if (recreate)
        font.reset();
    if (!font)
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    dialog.setFont(*font);
    for (QWidget* child : dialog.findChildren<QWidget*>())
        child->setFont(*font);
}

QFont GetDialogFont()
{
    const auto& font = DialogFont();
    return font ? *font : QApplication::font();
}
