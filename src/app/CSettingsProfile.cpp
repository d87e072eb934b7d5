#include "app/CSettingsProfile.h"

#include <QCoreApplication>
#include <QFileInfo>

QString CSettingsProfile::ApplicationName()
{
    const QString name = QCoreApplication::applicationName();
    if (!name.isEmpty())
        return name;
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).completeBaseName();
}

std::unique_ptr<QSettings> CSettingsProfile::Open()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("TORVEN"), ApplicationName());
}
