#pragma once
// Dialog texts and the shared dialog font, applied to Qt widgets.
//
// Controls carry their resource id as the integer property "ctrlId"; ApplyDialogTexts gives
// every such descendant (group boxes nest them) its text from the language file, and the
// dialog its title (id 0). Texts the file lacks leave the widget's own text in place.

#include <QFont>

class QWidget;

inline constexpr char kControlIdProperty[] = "ctrlId";

void ApplyDialogTexts(int dialogId, QWidget& dialog);

// Sets the process-wide dialog font (the desktop's message font, created on first use) on the
// dialog and all its descendants. `recreate` drops the font first so that it is taken anew.
void ApplyDialogFont(QWidget& dialog, bool recreate = false);

// The dialog font once created, else the application's default font.
QFont GetDialogFont();
