#pragma once
// The display language setting ("Settings"/"DisplayLanguage" of the user profile).

#include <QString>

class CAppSettings {
public:
    virtual ~CAppSettings();

    // Reads the stored language file name; an absent or empty value gives "Japanese.lng" for a
    // Japanese locale and "English.lng" otherwise. Any other stored name is used unchanged.
    void LoadSettings();
    void SaveSettings() const;

    QString GetLanguageFile() const { return m_languageFile; }
    void SetLanguageFile(const QString& name) { m_languageFile = name; }

    // True when the process's message locale (LC_ALL, LC_MESSAGES, LANG in that order) is
    // plain Japanese (ja or ja_JP, with any charset but no modifier).
    static bool IsJapaneseLocale();

private:
    QString m_languageFile;
};
