#include "app/ProgramDirectory.h"

#include <QFileInfo>

QString ProgramDirectory()
{
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
}
