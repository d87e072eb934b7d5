// ctest-label: integration
// korva-cli on configuration files, run as a process: the model list, new files, show as text
// and JSON, set with the editors' checks and messages, and the refusals that must leave the
// file untouched, with their exit codes.

#include "CliProcess.h"
#include "TestProfile.h"

#include "app/ConfigurationFile.h"
#include "app/ModelChoice.h"
#include "model/CDevInterface.h"
#include "model/CDevType.h"
#include "modbus/CPrivateException.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>

using cli_test::CliEnvironment;
using cli_test::CliResult;
using cli_test::RunCli;

namespace {

class CliFiles : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return QDir(files.path()).filePath(name); }

    // A new file of the registry row's model, as the program would save it.
    QString NewFile(const QString& name, int registryRow)
    {
        const QString path = Path(name);
        SaveConfigurationFile(*CreateChosenModel(registryRow), path);
        return path;
    }

    static QByteArray Contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TestProfile profile;
    CliEnvironment environment{profile.Path()};
    QTemporaryDir files;
};

std::string Describe(const CliResult& result)
{
    return QStringLiteral("exit %1\nout: %2\nerr: %3").arg(result.exitCode).arg(result.out, result.err).toStdString();
}

} // namespace

TEST_F(CliFiles, ModelsListsTheOfferedModelsInOrder)
{
    const CliResult result = RunCli({"models"});
    ASSERT_EQ(result.exitCode, 0) << Describe(result);
    const QStringList lines = result.out.split(u'\n', Qt::SkipEmptyParts);
    const QStringList expected = {
        "^VK20E +VK20E \\(wired LAN\\) +6001 +0\\.0\\+$",
        "^VK20A +.* +6002 +0\\.0\\+$",
        "^VK20B +.* +6003 +0\\.0-1\\.0$",
        "^VK20B_2 +.* +6013 +1\\.1\\+$",
        "^VK20C +VK20C \\(920 MHz wireless\\) +6014 +0\\.0\\+$",
        "^VK20CF +.* +6114 +0\\.0\\+$",
    };
    ASSERT_EQ(lines.size(), expected.size()) << Describe(result);
    for (qsizetype i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(QRegularExpression(expected[i]).match(lines[i]).hasMatch()) << lines[i].toStdString();
    EXPECT_TRUE(result.err.isEmpty());
}

// The file new writes is the program's own: it loads as the model at its defaults.
TEST_F(CliFiles, NewWritesTheModelAtItsDefaultsAndShowListsIt)
{
    const QString path = Path("pump.cfg");
    const CliResult made = RunCli({"new", "VK20B_2", "-o", path});
    ASSERT_EQ(made.exitCode, 0) << Describe(made);
    const auto loaded = LoadConfigurationFile(path);
    const auto defaults = CreateChosenModel(15);
    EXPECT_EQ(QString::fromUtf16(loaded->GetSection()), QStringLiteral("VK20B_2"));
    EXPECT_EQ(loaded->GetFirmware(), 0x10001u);
    for (int i = 0; i < defaults->GetCount(); ++i)
        EXPECT_EQ(loaded->GetAt(i).GetValue(), defaults->GetAt(i).GetValue()) << i;

    const CliResult shown = RunCli({"show", path});
    ASSERT_EQ(shown.exitCode, 0) << Describe(shown);
    const QStringList lines = shown.out.split(u'\n');
    EXPECT_EQ(lines.value(0), QStringLiteral("VK20B_2  VK20B (wireless LAN, firmware 1.1 or later)  code 6013  firmware 1.1"));
    // A caption, then its parameters: name, display name, value with unit.
    EXPECT_EQ(lines.value(1), QStringLiteral("Device information"));
    EXPECT_TRUE(lines.value(2).startsWith(QStringLiteral("  tag "))) << Describe(shown);
    EXPECT_TRUE(shown.out.contains(QRegularExpression(QStringLiteral("\n  ipadrs +IP address +192\\.168\\.0\\.1\n"))));
    EXPECT_TRUE(shown.out.contains(QRegularExpression(QStringLiteral("\n  tcptimeout +\\S.* +60\\.0 \\(s\\)\n"))));
    EXPECT_TRUE(shown.out.contains(QRegularExpression(QStringLiteral("\n  wlansecurity +Security +None\n"))));

    const CliResult json = RunCli({"show", path, "--json"});
    ASSERT_EQ(json.exitCode, 0) << Describe(json);
    const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(object.value("model").toString(), QStringLiteral("VK20B_2"));
    EXPECT_EQ(object.value("code").toInt(), 6013);
    EXPECT_EQ(object.value("firmware").toInteger(), 0x10001);
    const QJsonArray parameters = object.value("parameters").toArray();
    int withRegisters = 0;
    for (int i = 0; i < defaults->GetCount(); ++i)
        withRegisters += defaults->GetAt(i).GetDefinition().kind != PK_CAPTION;
    ASSERT_EQ(parameters.size(), withRegisters);
    for (const QJsonValue& entry : parameters) {
        const QJsonObject parameter = entry.toObject();
        const int index = parameter.value("index").toInt();
        const CParInterface& expected = defaults->GetAt(index);
        EXPECT_EQ(parameter.value("name").toString(), defaults->NameAt(index).toString());
        EXPECT_EQ(parameter.value("display").toString(), expected.GetName());
        EXPECT_EQ(parameter.value("text").toString(), defaults->GetDisplayText(index, expected.GetTextWithUnit()));
        EXPECT_EQ(parameter.value("address").toInt(), expected.GetValue().GetAddress());
        const QJsonArray words = parameter.value("words").toArray();
        ASSERT_EQ(words.size(), expected.GetValue().GetCount());
        for (qsizetype w = 0; w < words.size(); ++w)
            EXPECT_EQ(words[w].toInt(), expected.GetValue().GetWords()[static_cast<std::size_t>(w)]);
    }
}

TEST_F(CliFiles, NewAndShowRefuseWhatTheyCannotUse)
{
    struct Row {
        QStringList arguments;
        int exitCode;
        QString message;
    };
    QFile broken(Path("broken.cfg"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("<root><application>korva</application></root>");
    broken.close();
    const std::vector<Row> rows = {
        {{"new", "VK99", "-o", Path("x.cfg")}, 2,
         CPrivateException("cli.nomodel", "VK99", "VK20E, VK20A, VK20B, VK20B_2, VK20C, VK20CF").ErrorText()},
        {{"new", "VK20C"}, 2, "new needs -o FILE"},
        {{"new", "VK20C", "-o", Path("no/such/dir/x.cfg")}, 3, {}},
        {{"show", Path("missing.cfg")}, 3, CPrivateException("illfileerr").ErrorText()},
        {{"show", Path("broken.cfg")}, 3, CPrivateException("illfileerr").ErrorText()},
        {{"show"}, 2, "show needs FILE"},
        {{"show", Path("broken.cfg"), "--xml"}, 2, "show does not take the option --xml"},
        {{"frobnicate"}, 2, "unknown command frobnicate"},
        {{}, 2, "no command given"},
        {{"show", Path("broken.cfg"), "--lang", "Klingon.lng"}, 3, "Klingon.lng"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString());
        const CliResult result = RunCli(row.arguments);
        EXPECT_EQ(result.exitCode, row.exitCode) << Describe(result);
        EXPECT_FALSE(result.err.isEmpty());
        EXPECT_TRUE(result.err.contains(row.message)) << Describe(result);
        EXPECT_TRUE(result.out.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(Path("x.cfg")));
}

// Each kind goes through its editor's path: typed text checked and stored, choices by text or
// value, channel lists, and the model's own follow-up changes.
TEST_F(CliFiles, SetChangesParametersAsTheEditorsDo)
{
    const QString path = NewFile("node.cfg", 18); // VK20C
    const QString out = Path("changed.cfg");
    const CliResult result = RunCli({"set", path, "tag=Tank 3", "parity=Even", "rate=2", "ch=17, 3,3",
                                     "runtimeout=12.5", "panid=beef", "slowmoving=On", "-o", out});
    ASSERT_EQ(result.exitCode, 0) << Describe(result);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_EQ(Contents(path), Contents(NewFile("fresh.cfg", 18))) << "the input stays as it was";

    const auto set = LoadConfigurationFile(out);
    EXPECT_EQ(set->GetParameter(u"tag").GetText(), QStringLiteral("Tank 3"));
    EXPECT_EQ(set->FirstWordOf(u"parity"), 2);
    EXPECT_EQ(set->FirstWordOf(u"rate"), 2);
    EXPECT_EQ(set->GetParameter(u"ch").GetText(), QStringLiteral("3, 17"));
    EXPECT_EQ(set->FirstWordOf(u"runtimeout"), 125);
    EXPECT_EQ(set->FirstWordOf(u"panid"), 0xBEEF);
    // Slow-moving nodes force a very large network, which joins automatically.
    EXPECT_EQ(set->FirstWordOf(u"slowmoving"), 2);
    EXPECT_EQ(set->FirstWordOf(u"netscale"), 3);
    EXPECT_EQ(set->FirstWordOf(u"joining"), 1);

    // Without -o the file itself is replaced.
    ASSERT_EQ(RunCli({"set", path, "fixroute=On", "detoadrs=00A1"}).exitCode, 0);
    EXPECT_EQ(LoadConfigurationFile(path)->FirstWordOf(u"detoadrs"), 0x00A1);
}

// A refused assignment, at any place in the list, or a failed consistency check changes nothing.
TEST_F(CliFiles, RefusedValuesLeaveTheFileUntouched)
{
    const QString node = NewFile("node.cfg", 18);   // VK20C
    const QString lan = NewFile("lan.cfg", 1);      // VK20A
    const QString out = Path("out.cfg");
    const auto rangeMessage = [](const char* name, const char* low, const char* high) {
        return CPrivateException("rangeerr", name, low, high).ErrorText();
    };
    struct Row {
        QString file;
        QStringList assignments;
        int exitCode;
        QString message;
    };
    const std::vector<Row> rows = {
        {node, {"tag=fine", "nosuch=1"}, 4, CPrivateException("cli.noparam", "nosuch", "VK20C (920 MHz wireless)").ErrorText()},
        {node, {"nodeadrs=248"}, 4, rangeMessage("Slave address", "1", "247")},
        {node, {"tag=fine", "runtimeout=3200.1"}, 4, rangeMessage("Communication loss timeout", "0.0", "3200.0")},
        {node, {"tag=" + QString(33, u'x')}, 4, CPrivateException("toolongerr", "Tag name", 32).ErrorText()},
        {node, {"parity=Sideways"}, 4,
         CPrivateException("cli.nochoice", "Parity", "Sideways", "None (0), Odd (1), Even (2)").ErrorText()},
        {node, {"ch=0"}, 4, CPrivateException("cli.channels", "Channels", 28).ErrorText()},
        {node, {"ch=29"}, 4, CPrivateException("cli.channels", "Channels", 28).ErrorText()},
        {node, {"ch=1,2,3,4,5,6,7,8,9,10,11"}, 4, CPrivateException("cli.channels", "Channels", 28).ErrorText()},
        // Greyed out while the fixed route is off (the default).
        {node, {"detoadrs=12"}, 4, CPrivateException("cli.disabled", "Destination address").ErrorText()},
        {node, {"fixroute=On", "fixroute=Off", "detoflg=0"}, 4, CPrivateException("cli.disabled", "Destination").ErrorText()},
        {node, {"devinfo=x"}, 4, CPrivateException("cli.readonly", "Device information").ErrorText()},
        {lan, {"wlanmode=Ad hoc", "wlansecurity=3"}, 4, CPrivateException("wlan.adhocerr").ErrorText()},
        // The default key has 13 characters: right for 128-bit WEP only.
        {lan, {"wlansecurity=1"}, 4, CPrivateException("wlan.wep64err").ErrorText()},
        {node, {"tag"}, 2, "set takes assignments NAME=VALUE, not tag"},
        {Path("missing.cfg"), {"tag=x"}, 3, CPrivateException("illfileerr").ErrorText()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.assignments.join(u' ').toStdString());
        const QByteArray before = Contents(row.file);
        for (const QStringList& target : {QStringList{}, QStringList{"-o", out}}) {
            const CliResult result = RunCli(QStringList{"set", row.file} + row.assignments + target);
            EXPECT_EQ(result.exitCode, row.exitCode) << Describe(result);
            EXPECT_TRUE(result.err.contains(row.message)) << Describe(result) << "\nexpected: " << row.message.toStdString();
            EXPECT_EQ(Contents(row.file), before);
            EXPECT_FALSE(QFile::exists(out));
        }
    }
}

// The texts and messages follow --lang, else the display language the program stored.
TEST_F(CliFiles, TextsFollowTheChosenOrStoredLanguage)
{
    const QString path = NewFile("node.cfg", 18);
    const CliResult english = RunCli({"set", path, "devinfo=x"});
    EXPECT_TRUE(english.err.contains(QStringLiteral("cannot be changed"))) << Describe(english);

    const CliResult chosen = RunCli({"set", path, "devinfo=x", "--lang", "Japanese.lng"});
    EXPECT_EQ(chosen.exitCode, 4);
    EXPECT_TRUE(chosen.err.contains(QStringLiteral("は変更できません"))) << Describe(chosen);

    QSettings(environment.ProfileFile(), QSettings::IniFormat).setValue("Settings/DisplayLanguage", "Japanese.lng");
    const CliResult stored = RunCli({"show", path});
    EXPECT_EQ(stored.exitCode, 0);
    EXPECT_TRUE(stored.out.contains(QStringLiteral("タグ名"))) << Describe(stored);
    EXPECT_TRUE(RunCli({"show", path, "--lang", "English.lng"}).out.contains(QStringLiteral("Tag name")));
}

TEST_F(CliFiles, HelpDocumentsTheInterfaceAndTheExitCodes)
{
    const CliResult help = RunCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* text : {"korva-cli set FILE NAME=VALUE [NAME=VALUE ...] [-o OUT]", "korva-cli discover [--timeout SECONDS] [--json]",
                             "--serial DEVICE", "Exit codes:", "4  rejected value"})
        EXPECT_TRUE(help.out.contains(QString::fromUtf8(text))) << text;
    EXPECT_EQ(RunCli({"show", "--help"}).out, help.out);
}
