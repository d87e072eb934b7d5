#pragma once
// The main window's title, built from the product name and version compiled into the program.

#include <QString>

// "<name> Version <version>"; empty when either part is missing.
QString BuildWindowTitle(const QString& productName, const QString& productVersion);
// The title of this build.
QString BuildWindowTitle();
