#pragma once
// korva-cli's two output streams: results on standard output, messages and progress on standard
// error, both as UTF-8 whatever the locale says (the language files hold Japanese texts).

#include <QString>

void PrintOut(const QString& text);
void PrintError(const QString& text);
// Standard error is a terminal (progress is shown only then).
bool IsErrorTerminal();
