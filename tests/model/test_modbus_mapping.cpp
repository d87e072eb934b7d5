// ctest-label: unit
// Register mapping: values merge into contiguous blocks (following, preceding, covered, and
// two blocks joined by the value between them), blocks longer than one request are kept whole,
// and each value reads back exactly its own registers.

#include "model/CDevM_VKxxC.h"
#include "model/CModbusMapping.h"

#include <gtest/gtest.h>

#include <numeric>
#include <utility>
#include <vector>

namespace {

// (address, count) of every block, in order.
using Layout = std::vector<std::pair<int, int>>;

Layout BlocksOf(const CModbusMapping& mapping)
{
    Layout layout;
    for (const CParValue& block : mapping.GetBlocks())
        layout.emplace_back(block.GetAddress(), block.GetCount());
    return layout;
}

// A value whose words are its register addresses, so that every merge can be checked word by
// word.
CParValue Numbered(int address, int count)
{
    std::vector<std::uint16_t> words(static_cast<std::size_t>(count));
    std::iota(words.begin(), words.end(), static_cast<std::uint16_t>(address));
    return CParValue(static_cast<std::uint16_t>(address), static_cast<std::uint16_t>(count), words, false);
}

void ExpectWordsAreAddresses(const CModbusMapping& mapping)
{
    for (const CParValue& block : mapping.GetBlocks()) {
        for (int i = 0; i < block.GetCount(); ++i)
            EXPECT_EQ(block.GetWords()[static_cast<std::size_t>(i)], block.GetAddress() + i)
                << "block " << block.GetAddress() << " word " << i;
    }
}

struct MergeCase {
    const char* what;
    std::vector<std::pair<int, int>> added;
    Layout blocks;
};

TEST(ModbusMappingTest, ValuesMergeIntoContiguousBlocks)
{
    const std::vector<MergeCase> cases = {
        {"a following value extends the block", {{1300, 4}, {1304, 1}}, {{1300, 5}}},
        {"a gap filled later joins the neighbours", {{1300, 4}, {1304, 1}, {1306, 1}, {1305, 1}}, {{1300, 7}}},
        {"a covered value adds nothing", {{1300, 5}, {1304, 1}}, {{1300, 5}}},
        {"a preceding value extends the block downward", {{1301, 2}, {1300, 1}}, {{1300, 3}}},
        {"a distant value starts a new block", {{1300, 18}, {1321, 3}}, {{1300, 18}, {1321, 3}}},
        {"the gap between two blocks joins all", {{1300, 18}, {1321, 3}, {1318, 3}}, {{1300, 24}}},
        {"joined blocks take the later block's place", {{1321, 3}, {9000, 2}, {1300, 18}, {1318, 3}},
         {{9000, 2}, {1300, 24}}},
        {"captions add nothing", {{0, 0}, {5, 0}}, {}},
        {"a value partly beyond its block extends it", {{1300, 4}, {1302, 4}}, {{1300, 6}}},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.what);
        CModbusMapping mapping;
        for (const auto& [address, count] : c.added)
            mapping.Add(Numbered(address, count));
        EXPECT_EQ(BlocksOf(mapping), c.blocks);
        ExpectWordsAreAddresses(mapping);
    }
}

TEST(ModbusMappingTest, RadioMonitorNeedsSixBlocksInTableOrder)
{
    const CDevM_VKxxC monitor;
    CModbusMapping mapping;
    for (int i = 0; i < monitor.GetCount(); ++i)
        mapping.Add(monitor.GetAt(i).GetValue());
    const Layout expected = {{9601, 43}, {1321, 3}, {1300, 18}, {1160, 3}, {1400, 1}, {9000, 2}};
    EXPECT_EQ(BlocksOf(mapping), expected);
}

TEST(ModbusMappingTest, BlocksLongerThanOneRequestAreKeptWhole)
{
    CModbusMapping mapping;
    for (int address = 2000; address < 2300; ++address)
        mapping.Add(Numbered(address, 1));
    EXPECT_EQ(BlocksOf(mapping), (Layout{{2000, 300}}));
    ExpectWordsAreAddresses(mapping);

    CParValue last(2299, 0);
    mapping.Read(last);
    EXPECT_EQ(last.GetWords()[0], 2299);
}

TEST(ModbusMappingTest, ReadCopiesTheValuesShareOfItsBlock)
{
    CModbusMapping mapping;
    mapping.Add(CParValue(1300, 18, false));
    mapping.Add(CParValue(9000, 2, false));
    std::iota(mapping.GetBlocks()[0].GetWords().begin(), mapping.GetBlocks()[0].GetWords().end(),
              std::uint16_t{100});

    CParValue channel(1305, 0xFFFF);
    mapping.Read(channel);
    EXPECT_EQ(channel.GetWords()[0], 105); // the block's sixth word

    CParValue mac(1300, 4, false);
    mapping.Read(mac);
    EXPECT_EQ(std::vector<std::uint16_t>(mac.GetWords().begin(), mac.GetWords().end()),
              (std::vector<std::uint16_t>{100, 101, 102, 103}));
}

TEST(ModbusMappingTest, ReadLeavesValuesOutsideEveryBlockUnchanged)
{
    const std::vector<std::uint16_t> marker = {0xAAAA, 0xBBBB};

    CModbusMapping empty;
    CParValue untouched(1300, 2, marker, false);
    empty.Read(untouched);
    EXPECT_EQ(untouched, CParValue(1300, 2, marker, false));

    CModbusMapping mapping;
    mapping.Add(CParValue(1300, 4, false));
    CParValue outside(1400, 2, marker, false);
    mapping.Read(outside);
    EXPECT_EQ(outside, CParValue(1400, 2, marker, false));

    // Reaching past the end of its block: never read beyond the block.
    CParValue overhanging(1303, 2, marker, false);
    mapping.Read(overhanging);
    EXPECT_EQ(overhanging, CParValue(1303, 2, marker, false));

    CParValue caption;
    mapping.Read(caption);
    EXPECT_EQ(caption.GetCount(), 0);
}

} // namespace
