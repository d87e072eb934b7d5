// ctest-label: unit
// Register images: the two byte orders in which texts lie in register words, and the copying
// and cutting rules of SetString / GetString.

#include "model/CParValue.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::uint16_t> Words(const CParValue& value)
{
    return {value.GetWords().begin(), value.GetWords().end()};
}

struct StringCase {
    const char* what;
    bool highByteFirst;
    std::vector<std::uint16_t> before;
    int index;
    QByteArray text;
    std::vector<std::uint16_t> after;
    QByteArray readBack; // GetString(0)
};

class SetStringTest : public ::testing::TestWithParam<StringCase> {};

TEST_P(SetStringTest, StoresBytesInTheWordsAndReadsThemBack)
{
    const StringCase& c = GetParam();
    SCOPED_TRACE(c.what);
    CParValue value(1000, static_cast<std::uint16_t>(c.before.size()), c.before, c.highByteFirst);
    value.SetString(c.index, c.text);
    EXPECT_EQ(Words(value), c.after);
    EXPECT_EQ(value.GetString(0), c.readBack);
}

INSTANTIATE_TEST_SUITE_P(
    ByteOrders, SetStringTest,
    ::testing::Values(
        StringCase{"low first: first byte in the low byte, terminator stored", false, {0xFFFF, 0xFFFF, 0xFFFF},
                   0, "AB", {0x4241, 0xFF00, 0xFFFF}, "AB"},
        StringCase{"low first: tag default", false, {0, 0, 0, 0, 0}, 0, "test-tag",
                   {0x6574, 0x7473, 0x742D, 0x6761, 0x0000}, "test-tag"},
        StringCase{"low first: a shorter text keeps the bytes after its terminator", false,
                   {0x6261, 0x6463, 0x6665, 0x6867}, 0, "abc", {0x6261, 0x0063, 0x6665, 0x6867}, "abc"},
        StringCase{"low first: cut to the room, no terminator", false, {0, 0}, 0, "abcdef",
                   {0x6261, 0x6463}, "abcd"},
        StringCase{"low first: from a later word", false, {0x4241, 0, 0}, 1, "xy", {0x4241, 0x7978, 0x0000},
                   "ABxy"},
        StringCase{"high first: natural order, rest of the room zeroed", true, {0xFFFF, 0xFFFF, 0xFFFF}, 0,
                   "AB", {0x4142, 0, 0}, "AB"},
        StringCase{"high first: odd length", true, {0xFFFF, 0xFFFF}, 0, "ABC", {0x4142, 0x4300}, "ABC"},
        StringCase{"high first: cut to the room", true, {0, 0}, 0, "ABCDEF", {0x4142, 0x4344}, "ABCD"},
        StringCase{"high first: empty text clears", true, {0x4142, 0x4344}, 0, "", {0, 0}, ""},
        StringCase{"an embedded zero ends the text", true, {0xFFFF, 0xFFFF}, 0, QByteArray("A\0B", 3),
                   {0x4100, 0}, "A"},
        StringCase{"an index past the end changes nothing", false, {0x4241}, 1, "xy", {0x4241}, "AB"}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(ParValueTest, HighByteFirstReadingSkipsZeroBytesInsteadOfStopping)
{
    const std::vector<std::uint16_t> words = {0x4100, 0x0042, 0x4300};
    CParValue value(1307, 3, words, true);
    EXPECT_EQ(value.GetString(0), "ABC");
    EXPECT_EQ(value.GetString(1), "BC");
}

TEST(ParValueTest, LowByteFirstReadingStopsAtTheEndOfAFullArea)
{
    const std::vector<std::uint16_t> words = {0x6261, 0x6463};
    const CParValue value(9628, 2, words, false);
    EXPECT_EQ(value.GetString(0), "abcd");
    EXPECT_EQ(value.GetString(1), "cd");
}

TEST(ParValueTest, ConstructorsSetAddressCountAndWords)
{
    const CParValue empty;
    EXPECT_EQ(empty.GetCount(), 0);
    EXPECT_TRUE(empty.GetWords().empty());
    EXPECT_EQ(empty.GetString(0), "");

    const CParValue single(1010, 502);
    EXPECT_EQ(single.GetAddress(), 1010);
    EXPECT_EQ(Words(single), std::vector<std::uint16_t>{502});

    // Missing source words are zero.
    const std::vector<std::uint16_t> one = {7};
    const CParValue padded(5, 3, one, false);
    EXPECT_EQ(Words(padded), (std::vector<std::uint16_t>{7, 0, 0}));
}

TEST(ParValueTest, CopiesOwnTheirWords)
{
    CParValue original(1200, 2, false);
    CParValue copy = original;
    copy.GetWords()[0] = 0x1234;
    EXPECT_EQ(original.GetWords()[0], 0);
    EXPECT_EQ(copy.GetAddress(), 1200);
    EXPECT_FALSE(copy.IsHighByteFirst());

    CParValue moved = std::move(copy);
    EXPECT_EQ(moved.GetWords()[0], 0x1234);
    EXPECT_EQ(copy.GetCount(), 0); // NOLINT(bugprone-use-after-move): a moved-from image is empty
    EXPECT_EQ(copy.GetString(0), "");
}

} // namespace
