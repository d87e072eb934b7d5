#pragma once
// File-type filters of the open and save dialogs, from the language file's "fopenfilter" text.
//
// The text may be written in either of two forms, since translators copy it from older files:
//   "Configuration files (*.cfg);;All files (*)"                  one entry per ";;"
//   "Configuration files (*.cfg)|*.cfg|All files (*.*)|*.*|"     description|patterns pairs
// Both give the same list of entries "description (pattern pattern ...)".

#include <QString>
#include <QStringList>

QStringList FileDialogFilters(const QString& text);
