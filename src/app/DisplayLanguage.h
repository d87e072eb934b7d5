#pragma once
// Choosing and loading the display language of the configuration program.

#include <QString>

// The language file the language command switches to: English after Japanese, Japanese after
// anything else (also after a name typed into the profile by hand).
QString NextLanguageFile(const QString& current);

// Loads `fileName` into the language database and writes one trace line saying whether it
// worked. A failure is rethrown for the caller to show; the database then keeps what the loader
// left in it.
void LoadDisplayLanguage(const QString& fileName);
