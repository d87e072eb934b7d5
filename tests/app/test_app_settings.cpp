// ctest-label: integration
// The display language setting in a temporary profile: defaults by locale, empty as absent,
// any stored name used unchanged, and the round trip.

#include "app/CAppSettings.h"
#include "app/CSettingsProfile.h"
#include "TestProfile.h"

#include <gtest/gtest.h>

#include <QSettings>

namespace {

// Sets the locale variables for one test and restores them after.
class LocaleScope {
public:
    explicit LocaleScope(const char* lang)
        : m_all(qgetenv("LC_ALL")), m_messages(qgetenv("LC_MESSAGES")), m_lang(qgetenv("LANG"))
    {
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
        qputenv("LANG", lang);
    }
    ~LocaleScope()
    {
        Restore("LC_ALL", m_all);
        Restore("LC_MESSAGES", m_messages);
        Restore("LANG", m_lang);
    }

private:
    static void Restore(const char* name, const QByteArray& value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QByteArray m_all, m_messages, m_lang;
};

TEST(AppSettings, DefaultsToTheLanguageOfTheLocale)
{
    struct Case { const char* lang; const char* expected; };
    for (const Case c : {Case{"ja_JP.UTF-8", "Japanese.lng"}, Case{"ja_JP", "Japanese.lng"}, Case{"ja", "Japanese.lng"},
                         Case{"ja_JP.UTF-8@radical", "English.lng"}, Case{"en_US.UTF-8", "English.lng"},
                         Case{"C", "English.lng"}, Case{"de_DE", "English.lng"}}) {
        TestProfile profile;
        LocaleScope locale(c.lang);
        CAppSettings settings;
        settings.LoadSettings();
        EXPECT_EQ(settings.GetLanguageFile(), QString::fromUtf8(c.expected)) << c.lang;
    }
}

TEST(AppSettings, TreatsAnEmptyValueAsAbsentAndUsesAnyOtherNameUnchanged)
{
    TestProfile profile;
    LocaleScope locale("ja_JP.UTF-8");
    CSettingsProfile::Open()->setValue(QStringLiteral("Settings/DisplayLanguage"), QString());
    CAppSettings settings;
    settings.LoadSettings();
    EXPECT_EQ(settings.GetLanguageFile(), QStringLiteral("Japanese.lng"));

    CSettingsProfile::Open()->setValue(QStringLiteral("Settings/DisplayLanguage"), QStringLiteral("Klingon.lng"));
    settings.LoadSettings();
    EXPECT_EQ(settings.GetLanguageFile(), QStringLiteral("Klingon.lng"));
}

TEST(AppSettings, RoundTripsThroughTheProfileFile)
{
    TestProfile profile;
    CAppSettings settings;
    settings.SetLanguageFile(QStringLiteral("Japanese.lng"));
    settings.SaveSettings();
    EXPECT_TRUE(profile.FilePath().startsWith(profile.Path()));
    EXPECT_TRUE(profile.FilePath().endsWith(QStringLiteral("/TORVEN/KORVA.conf"))) << profile.FilePath().toStdString();

    CAppSettings reloaded;
    reloaded.LoadSettings();
    EXPECT_EQ(reloaded.GetLanguageFile(), QStringLiteral("Japanese.lng"));
}

} // namespace
