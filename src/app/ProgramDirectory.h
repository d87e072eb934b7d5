#pragma once
// The directory of the running program (from /proc/self/exe): the language files lie there.

#include <QString>

QString ProgramDirectory();
