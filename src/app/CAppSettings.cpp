#include "app/CAppSettings.h"

#include "app/CSettingsProfile.h"

#include <QRegularExpression>

CAppSettings::~CAppSettings() = default;

bool CAppSettings::IsJapaneseLocale()
{
    // POSIX precedence for the message locale.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (value.isEmpty())
            continue;
        // Only the default Japanese locale counts, as a sort-order variant does not.
        static const QRegularExpression japanese(QStringLiteral("^ja(_JP)?(\\.[A-Za-z0-9_-]+)?$"));
        return japanese.match(value).hasMatch();
    }
    return false;
}

void CAppSettings::LoadSettings()
{
    const auto profile = CSettingsProfile::Open();
    QString name = profile->value(QStringLiteral("Settings/DisplayLanguage")).toString();
    if (name.isEmpty())
        name = IsJapaneseLocale() ? QStringLiteral("Japanese.lng") : QStringLiteral("English.lng");
    m_languageFile = name;
}

void CAppSettings::SaveSettings() const
{
    const auto profile = CSettingsProfile::Open();
    profile->setValue(QStringLiteral("Settings/DisplayLanguage"), m_languageFile);
}
