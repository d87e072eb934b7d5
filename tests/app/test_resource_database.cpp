// ctest-label: integration
// Language files: the identity test, the load error, and every kind of lookup including both
// list forms and their fallbacks.

#include "app/CResourceDatabase.h"
#include "modbus/CPrivateException.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr char kLanguageFile[] = R"(<?xml version="1.0" encoding="utf-8"?>
<root>
  <application>KORVA</application>
  <filetype>language</filetype>
  <language>Test</language>
  <gui name="129"><text name="0">Connect</text><text name="1001">Cable</text></gui>
  <message><text name="greet">Hello %1, you are %2!d!</text><text name="blank"></text></message>
  <parameter name="VK20E">
    <text name="lname">Wired model</text>
    <list name="short"><text name="0">Off</text><text name="1">On</text></list>
    <list name="items">
      <item name="0"><value>9600</value><text>9600 bit/s</text></item>
      <item name="1"><value> -5x</value><text>odd</text></item>
      <text name="3">short-form three</text>
    </list>
  </parameter>
</root>
)";

class ResourceDatabase : public ::testing::Test {
protected:
    QString Write(const char* name, const QByteArray& contents)
    {
        const QString path = QDir(m_dir.path()).filePath(QString::fromUtf8(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        return path;
    }
    QTemporaryDir m_dir;
    CResourceDatabase m_db;
};

TEST_F(ResourceDatabase, LooksUpDialogMessageAndParameterTexts)
{
    m_db.LoadLanguageFile(Write("t.lng", kLanguageFile));
    EXPECT_EQ(m_db.GetLanguageName(), QStringLiteral("Test"));
    EXPECT_EQ(m_db.GetGuiText(129, 0), QStringLiteral("Connect"));
    EXPECT_EQ(m_db.GetGuiText(129, 1001), QStringLiteral("Cable"));
    EXPECT_EQ(m_db.GetGuiText(129, 1002), QString());
    EXPECT_EQ(m_db.GetMessageText(u"greet"), QStringLiteral("Hello %1, you are %2!d!"));
    EXPECT_EQ(m_db.GetMessageText(u"absent"), QString());
    EXPECT_EQ(m_db.GetMessageText(u"it's"), QString()) << "a quote in a key must not break the lookup";
    EXPECT_EQ(m_db.GetParameterText(QStringLiteral("VK20E"), QStringLiteral("lname")), QStringLiteral("Wired model"));
}

TEST_F(ResourceDatabase, ResolvesBothListForms)
{
    m_db.LoadLanguageFile(Write("t.lng", kLanguageFile));
    const QString s = QStringLiteral("VK20E");
    struct TextCase { const char* list; int value; const char* text; };
    for (const TextCase c : {TextCase{"short", 0, "Off"}, TextCase{"short", 1, "On"}, TextCase{"short", 2, ""},
                             TextCase{"items", 9600, "9600 bit/s"}, TextCase{"items", 0, ""},
                             TextCase{"items", 3, "short-form three"}, TextCase{"missing", 0, ""}}) {
        EXPECT_EQ(m_db.GetListItemText(s, QString::fromUtf8(c.list), c.value), QString::fromUtf8(c.text))
            << c.list << " " << c.value;
    }
    struct ValueCase { const char* list; int index; int value; };
    for (const ValueCase c : {ValueCase{"short", 0, 0}, ValueCase{"short", 1, 1}, ValueCase{"short", 2, -1},
                              ValueCase{"items", 0, 9600}, ValueCase{"items", 1, -5}, ValueCase{"items", 3, 3},
                              ValueCase{"items", 2, -1}, ValueCase{"missing", 0, -1}}) {
        EXPECT_EQ(m_db.GetListItemValue(s, QString::fromUtf8(c.list), c.index), c.value) << c.list << " " << c.index;
    }
}

TEST_F(ResourceDatabase, RefusesFilesThatAreNotLanguageFiles)
{
    struct Case { const char* what; QByteArray contents; const char* cause; };
    const Case cases[] = {
        {"other root", QByteArray(kLanguageFile).replace("<root>", "<lang>").replace("</root>", "</lang>"), "Illegal format"},
        {"other application", QByteArray(kLanguageFile).replace(">KORVA<", ">OTHER<"), "Illegal format"},
        {"other file type", QByteArray(kLanguageFile).replace(">language<", ">config<"), "Illegal format"},
        {"empty language", QByteArray(kLanguageFile).replace("<language>Test</language>", "<language></language>"), "Illegal format"},
        {"not XML", "<root><application>", "line: "},
    };
    for (const Case& c : cases) {
        m_db.ResetDatabase();
        try {
            m_db.LoadLanguageFile(Write("bad.lng", c.contents));
            ADD_FAILURE() << c.what << " was accepted";
        } catch (const CPrivateException& error) {
            const QString expectedStart = QStringLiteral("Can't read resource file \"%1\".\n").arg(QDir(m_dir.path()).filePath(QStringLiteral("bad.lng")));
            EXPECT_TRUE(error.ErrorText().startsWith(expectedStart)) << c.what << ": " << error.ErrorText().toStdString();
            EXPECT_TRUE(error.ErrorText().mid(expectedStart.size()).startsWith(QString::fromUtf8(c.cause))) << c.what;
        }
    }
}

TEST_F(ResourceDatabase, KeepsTheOldDocumentWhenAFileCannotBeParsedButNotWhenItFailsIdentity)
{
    m_db.LoadLanguageFile(Write("good.lng", kLanguageFile));
    EXPECT_THROW(m_db.LoadLanguageFile(Write("broken.lng", "<root")), CPrivateException);
    EXPECT_EQ(m_db.GetLanguageName(), QStringLiteral("Test"));

    EXPECT_THROW(m_db.LoadLanguageFile(Write("other.lng", QByteArray(kLanguageFile).replace(">KORVA<", ">OTHER<"))),
                 CPrivateException);
    EXPECT_EQ(m_db.GetLanguageName(), QStringLiteral("Test")) << "the rejected document stays loaded";
    EXPECT_EQ(m_db.QueryText(QStringLiteral("/root/application")), QStringLiteral("OTHER"));
}

TEST_F(ResourceDatabase, NamesTheFileAsTheCallerGaveIt)
{
    try {
        m_db.LoadLanguageFile(QStringLiteral("NoSuchLanguage.lng"));
        FAIL();
    } catch (const CPrivateException& error) {
        EXPECT_TRUE(error.ErrorText().startsWith(QStringLiteral("Can't read resource file \"NoSuchLanguage.lng\".\nline: ")))
            << error.ErrorText().toStdString();
    }
}

} // namespace
