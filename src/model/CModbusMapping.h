#pragma once
// Joins the register images of many small parameters into as few contiguous blocks as
// possible, so that a whole device state can be fetched with one read per block and each
// parameter then takes its share of the words.
//
// Blocks are not limited in length: a caller that reads a block splits the request itself if
// the transport needs it. No register lies in two blocks as long as the added values do not
// overlap each other partly.

#include "model/CParValue.h"

#include <span>
#include <vector>

class CModbusMapping {
public:
    CModbusMapping();
    virtual ~CModbusMapping();

    // Merges the registers of `value` into the blocks (its words are copied). A value without
    // registers adds nothing.
    void Add(const CParValue& value);
    // Fills `value`'s words from the block that holds all of its registers. A value without
    // registers, or one that no single block holds completely, is left unchanged.
    void Read(CParValue& value) const;

    // The blocks in order; their words may be overwritten, for example by a device read.
    std::span<CParValue> GetBlocks() { return m_blocks; }
    std::span<const CParValue> GetBlocks() const { return m_blocks; }

private:
    void MergeNeighbours();

    std::vector<CParValue> m_blocks;
};
