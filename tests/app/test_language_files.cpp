// ctest-label: integration
// The shipped language files: both pass the identity test, hold every message key the program
// uses with a text whose inserts fit what the callers pass, and cover the same dialog texts.

#include "app/CResourceDatabase.h"
#include "app/MessageKeys.h"
#include "modbus/CMessageFormatter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <pugixml.hpp>

#include <set>
#include <vector>

namespace {

const char* const kFiles[] = {"English.lng", "Japanese.lng"};

QString PathOf(const char* file)
{
    return QDir(QStringLiteral(KORVA_PROGRAM_DIR)).filePath(QString::fromUtf8(file));
}

// Arguments as the callers pass them: a text for 's', an integer for 'd'.
std::vector<CMessageArgument> ArgumentsFor(const char* inserts)
{
    std::vector<CMessageArgument> args;
    for (const char* c = inserts; *c; ++c) {
        if (*c == 'd')
            args.emplace_back(1234);
        else
            args.emplace_back(QStringLiteral("TEXT%1").arg(args.size() + 1));
    }
    return args;
}

TEST(LanguageFiles, PassTheIdentityTest)
{
    for (const char* file : kFiles) {
        CResourceDatabase db;
        EXPECT_NO_THROW(db.LoadLanguageFile(PathOf(file))) << file;
        EXPECT_FALSE(db.GetLanguageName().isEmpty()) << file;
    }
}

TEST(LanguageFiles, HoldEveryMessageKeyWithInsertsThatFitItsCallers)
{
    // Unit texts are shown as they stand, never formatted.
    const std::set<QString> unformatted = {QStringLiteral("unitperc")};
    for (const char* file : kFiles) {
        CResourceDatabase db;
        db.LoadLanguageFile(PathOf(file));
        for (const MessageKeyUse& use : KnownMessageKeys()) {
            const QString key = QString::fromUtf8(use.key);
            const QString text = db.GetMessageText(key);
            EXPECT_FALSE(text.isEmpty()) << file << ": " << use.key;
            if (unformatted.contains(key))
                continue;
            const auto args = ArgumentsFor(use.inserts);
            QStringList problems;
            const QString formatted = CMessageFormatter::FormatInserts(text, args, &problems);
            EXPECT_TRUE(problems.isEmpty()) << file << ": " << use.key << ": " << problems.join(u"; ").toStdString();
            for (std::size_t i = 0; i < args.size(); ++i) {
                const QString shown = args[i].IsText() ? args[i].Text() : QStringLiteral("1234");
                EXPECT_TRUE(formatted.contains(shown)) << file << ": " << use.key << " never shows argument " << i + 1;
            }
        }
    }
}

// Every gui/text and message/text name, so that the two files can be compared.
std::set<std::string> NamesIn(const char* file)
{
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_file(PathOf(file).toUtf8().constData()));
    std::set<std::string> names;
    for (const auto& found : doc.select_nodes("/root/gui/text | /root/message/text")) {
        const pugi::xml_node node = found.node();
        std::string name = node.parent().name();
        if (name == "gui")
            name += node.parent().attribute("name").value();
        names.insert(name + "/" + node.attribute("name").value());
        EXPECT_STRNE(node.child_value(), "") << file << ": " << names.rbegin()->c_str();
    }
    return names;
}

TEST(LanguageFiles, CoverTheSameDialogTextsAndMessages)
{
    const auto english = NamesIn("English.lng");
    const auto japanese = NamesIn("Japanese.lng");
    EXPECT_EQ(english, japanese);
    for (const char* dialog : {"gui129/0", "gui133/0", "gui134/0"})
        EXPECT_TRUE(english.contains(dialog)) << dialog;
}

// Keys the sources pass to an error or look up directly must all be in the table above, so
// that the language files are checked for them.
TEST(LanguageFiles, KnowEveryKeyTheSourcesUse)
{
    std::set<QString> known;
    for (const MessageKeyUse& use : KnownMessageKeys())
        known.insert(QString::fromUtf8(use.key));
    static const QRegularExpression keyUse(
        QStringLiteral(R"re((?:CPrivateException\s*[({]\s*|GetMessageText\s*\(\s*(?:u|QStringLiteral\()?)"([A-Za-z_][A-Za-z0-9_.]*)")re"));
    int uses = 0;
    QDirIterator it(QStringLiteral(KORVA_SOURCE_DIR "/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (auto match = keyUse.globalMatch(text); match.hasNext();) {
            const QString key = match.next().captured(1);
            ++uses;
            EXPECT_TRUE(known.contains(key)) << it.filePath().toStdString() << " uses \"" << key.toStdString()
                                             << "\", which the message key table lacks";
        }
    }
    EXPECT_GT(uses, 0) << "the pattern no longer finds key uses";
}

} // namespace
