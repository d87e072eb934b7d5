#include "model/CModbusMapping.h"

#include <algorithm>
#include <limits>

namespace {

// Register positions are compared as plain integers, so a run that reaches the top of the
// 16-bit address space never wraps around to register 0.
long End(const CParValue& value)
{
    return long{value.GetAddress()} + value.GetCount();
}

bool FitsInOneBlock(long count)
{
    return count <= std::numeric_limits<std::uint16_t>::max();
}

// One block holding `first`'s words followed by `second`'s, starting at `first`'s address.
CParValue Concatenate(const CParValue& first, std::span<const std::uint16_t> second)
{
    std::vector<std::uint16_t> words(first.GetWords().begin(), first.GetWords().end());
    words.insert(words.end(), second.begin(), second.end());
    return CParValue(first.GetAddress(), static_cast<std::uint16_t>(words.size()), words,
                     first.IsHighByteFirst());
}

} // namespace

CModbusMapping::CModbusMapping() = default;

CModbusMapping::~CModbusMapping() = default;

void CModbusMapping::Add(const CParValue& value)
{
    if (value.GetCount() == 0)
        return;
    const long start = value.GetAddress();
    const long end = End(value);

    bool merged = false;
    for (CParValue& block : m_blocks) {
        const long blockStart = block.GetAddress();
        const long blockEnd = End(block);
        if (blockStart <= start && start < blockEnd) {
            // Already covered; a value reaching beyond the block extends it by the registers it
            // adds, so that reading it back never runs past the block.
            if (end > blockEnd && FitsInOneBlock(end - blockStart)) {
                const auto overhang = value.GetWords().subspan(static_cast<std::size_t>(blockEnd - start));
                block = Concatenate(block, overhang);
            }
            merged = true;
            break;
        }
        if (start == blockEnd && FitsInOneBlock(block.GetCount() + long{value.GetCount()})) {
            block = Concatenate(block, value.GetWords());
            merged = true;
            break;
        }
        if (blockStart == end && FitsInOneBlock(block.GetCount() + long{value.GetCount()})) {
            block = Concatenate(value, block.GetWords());
            merged = true;
            break;
        }
    }
    if (!merged)
        m_blocks.push_back(value);
    MergeNeighbours();
}

void CModbusMapping::MergeNeighbours()
{
    // A value that filled the gap between two blocks has made them neighbours; one merge is
    // enough, since only one block changed.
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        for (std::size_t j = i + 1; j < m_blocks.size(); ++j) {
            const CParValue& first = m_blocks[i];
            const CParValue& later = m_blocks[j];
            if (!FitsInOneBlock(long{first.GetCount()} + later.GetCount()))
                continue;
            if (first.GetAddress() == End(later)) {
                m_blocks[j] = Concatenate(later, first.GetWords());
            } else if (later.GetAddress() == End(first)) {
                m_blocks[j] = Concatenate(first, later.GetWords());
            } else {
                continue;
            }
            m_blocks.erase(m_blocks.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

void CModbusMapping::Read(CParValue& value) const
{
    if (value.GetCount() == 0)
        return;
    const long start = value.GetAddress();
    for (const CParValue& block : m_blocks) {
        if (block.GetAddress() <= start && start < End(block)) {
            if (End(value) > End(block))
                return; // the block holds only part of the value: leave it as it was
            const auto source = block.GetWords().subspan(
                static_cast<std::size_t>(start - block.GetAddress()), value.GetCount());
            std::copy(source.begin(), source.end(), value.GetWords().begin());
            return;
        }
    }
}
