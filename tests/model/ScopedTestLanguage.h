#pragma once
// Loads a small language file of the test's own into the language database for the life of the
// object, then puts the English file back. Tests that check which texts and inserts a message
// carries use it, so that they do not depend on the wording of the shipped files.

#include "app/CResourceDatabase.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class ScopedTestLanguage {
public:
    // `body`: the elements after the identity elements of the root.
    explicit ScopedTestLanguage(const QString& body)
    {
        const QString path = m_dir.filePath(QStringLiteral("Test.lng"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><root>"
                                  "<application>KORVA</application><filetype>language</filetype>"
                                  "<language>Test</language>%1</root>")
                       .arg(body)
                       .toUtf8());
        file.close();
        CResourceDatabase::Instance().LoadLanguageFile(path);
    }
    ~ScopedTestLanguage()
    {
        CResourceDatabase::Instance().LoadLanguageFile(
            QDir(QStringLiteral(KORVA_PROGRAM_DIR)).filePath(QStringLiteral("English.lng")));
    }
    ScopedTestLanguage(const ScopedTestLanguage&) = delete;
    ScopedTestLanguage& operator=(const ScopedTestLanguage&) = delete;

private:
    QTemporaryDir m_dir;
};
