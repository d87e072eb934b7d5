#include "TestProfile.h"

#include "app/CSettingsProfile.h"

#include <QSettings>

TestProfile::TestProfile()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
}

TestProfile::~TestProfile()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       qEnvironmentVariable("XDG_CONFIG_HOME"));
}

QString TestProfile::FilePath() const
{
    return CSettingsProfile::Open()->fileName();
}
