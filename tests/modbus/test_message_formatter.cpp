// ctest-label: unit
// Insert formatting of message templates, including hostile templates from hand-edited
// language files, and the composition of error messages from message keys.

#include "modbus/CMessageFormatter.h"
#include "modbus/CPrivateException.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <vector>

namespace {

QString Format(const char16_t* pattern, std::vector<CMessageArgument> args, QStringList* problems = nullptr)
{
    return CMessageFormatter::FormatInserts(QStringView(pattern), args, problems);
}

struct InsertCase {
    const char* what;
    const char16_t* pattern;
    std::vector<CMessageArgument> args;
    const char16_t* expected;
};

TEST(MessageFormatter, ExpandsInsertsLikeTheMessageTableSyntax)
{
    const std::vector<InsertCase> cases = {
        {"text then integer", u"%1 at %2!d!", {"ReadHoldingRegister", 9601}, u"ReadHoldingRegister at 9601"},
        {"explicit text format", u"[%1!s!]", {"abc"}, u"[abc]"},
        {"reordered", u"%2 before %1", {"a", "b"}, u"b before a"},
        {"reused", u"%1%1", {"x"}, u"xx"},
        {"two-digit insert", u"%10!d!", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, u"10"},
        {"percent escape", u"100%%", {}, u"100%"},
        {"line break", u"a%nb", {}, u"a\nb"},
        {"tab, dot and bang", u"%t%.%!", {}, u"\t.!"},
        {"end of text", u"kept%0dropped", {}, u"kept"},
        {"unsigned", u"%1!u!", {-1}, u"4294967295"},
        {"hex lower and upper", u"%1!x! %1!X! %1!#x!", {255}, u"ff FF 0xff"},
        {"64-bit integer", u"%1!I64d!", {std::int64_t{1} << 40}, u"1099511627776"},
        {"long integer", u"%1!ld!", {-42}, u"-42"},
        {"width and zero padding", u"[%1!5d!][%1!-5d!][%1!05d!]", {42}, u"[   42][42   ][00042]"},
        {"precision cuts a text", u"%1!.3s!", {"abcdef"}, u"abc"},
        {"character", u"%1!c!", {65}, u"A"},
        {"trailing percent", u"50%", {}, u"50%"},
        {"empty format is a text", u"%1!!", {"t"}, u"t"},
    };
    for (const auto& c : cases) {
        QStringList problems;
        EXPECT_EQ(Format(c.pattern, c.args, &problems), QString::fromUtf16(c.expected)) << c.what;
        EXPECT_TRUE(problems.isEmpty()) << c.what << ": " << problems.join(u"; ").toStdString();
    }
}

TEST(MessageFormatter, RendersHostileTemplatesSafelyAndReportsThem)
{
    const std::vector<InsertCase> cases = {
        {"insert without argument", u"%1 and %3", {"a"}, u"a and %3"},
        {"formatted insert without argument", u"%2!d!", {}, u"%2!d!"},
        {"text with an integer format", u"%1!d!", {"abc"}, u"abc"},
        {"integer with a text format", u"%1!s!", {7}, u"7"},
        {"pointer format", u"%1!p!", {7}, u"7"},
        {"printf's write-back format", u"%1!n!", {7}, u"7"},
        {"floating point format", u"%1!f!", {7}, u"7"},
        {"star width", u"%1!*d!", {7}, u"7"},
        {"huge width", u"%1!999999999d!", {7}, u"7"},
        {"unterminated format", u"x%1!d", {7}, u"x%1!d"},
    };
    for (const auto& c : cases) {
        QStringList problems;
        EXPECT_EQ(Format(c.pattern, c.args, &problems), QString::fromUtf16(c.expected)) << c.what;
        EXPECT_FALSE(problems.isEmpty()) << c.what;
    }
}

TEST(MessageFormatter, SurvivesEveryTruncationOfAnInsert)
{
    const QString pattern = QStringLiteral("%12!-08.3I64X! %99 %1!");
    for (qsizetype n = 0; n <= pattern.size(); ++n) {
        const std::array<CMessageArgument, 2> args{CMessageArgument(5), CMessageArgument("t")};
        (void)CMessageFormatter::FormatInserts(QStringView(pattern).left(n), args);
    }
}

TEST(MessageFormatter, GivesSystemTextsForErrorCodes)
{
    EXPECT_EQ(CMessageFormatter(ENOENT).GetText(), QStringLiteral("No such file or directory"));
    EXPECT_FALSE(CMessageFormatter(CMessageFormatter::XmlResult::NoMatch).GetText().isEmpty());
}

TEST(PrivateException, ComposesTheMessageOfAKeyFromTheLanguageFile)
{
    // "mbio.message" takes the operation, address, count and a detail text.
    const CPrivateException error("mbio.message", "ReadHoldingRegisters", 9601, 2, "detail");
    EXPECT_TRUE(error.ErrorText().contains(QStringLiteral("ReadHoldingRegisters")));
    EXPECT_TRUE(error.ErrorText().contains(QStringLiteral("9601")));
    EXPECT_TRUE(error.ErrorText().contains(QStringLiteral("detail")));
    EXPECT_FALSE(error.ErrorText().contains(u'%'));
}

TEST(PrivateException, ShowsAKeyWithoutTextAsTheKeyItself)
{
    EXPECT_EQ(CPrivateException("no.such.key", 1, "x").ErrorText(), QStringLiteral("no.such.key"));
    EXPECT_EQ(CPrivateException(QStringLiteral("literal %1")).ErrorText(), QStringLiteral("literal %1"));
    EXPECT_EQ(CPrivateException(CMessageFormatter(ENOENT)).ErrorText(), QStringLiteral("No such file or directory"));
    EXPECT_TRUE(CPrivateException().IsCancellation());
    EXPECT_TRUE(CPrivateException(QString()).IsCancellation());
}

TEST(PrivateException, GetErrorMessageCutsToTheBufferAndTerminates)
{
    const CPrivateException error(QStringLiteral("Timeout"));
    std::array<char16_t, 4> small{u'x', u'x', u'x', u'x'};
    unsigned help = 77;
    EXPECT_TRUE(error.GetErrorMessage(small, &help));
    EXPECT_EQ(std::u16string(small.data()), u"Tim");
    EXPECT_EQ(small[3], u'\0');
    EXPECT_EQ(help, 77u);

    std::array<char16_t, 1> one{u'x'};
    EXPECT_TRUE(error.GetErrorMessage(one));
    EXPECT_EQ(one[0], u'\0');
    EXPECT_FALSE(error.GetErrorMessage(std::span<char16_t>()));

    std::array<char16_t, 16> base{u'x'};
    EXPECT_FALSE(CException().GetErrorMessage(base));
    EXPECT_EQ(base[0], u'\0');
}

TEST(PrivateException, IsCaughtThroughTheCommonBase)
{
    try {
        throw CPrivateException(QStringLiteral("boom"));
    } catch (const CException& error) {
        EXPECT_EQ(error.ErrorText(), QStringLiteral("boom"));
        EXPECT_STREQ(error.what(), "boom");
    }
}

} // namespace
