#include "model/CParValue.h"

#include <algorithm>

CParValue::CParValue(std::uint16_t address, std::uint16_t count,
                     std::span<const std::uint16_t> words, bool highByteFirst)
    : m_address(address), m_words(std::size_t{count} + 1, 0), m_highByteFirst(highByteFirst)
{
    std::copy_n(words.begin(), std::min<std::size_t>(count, words.size()), m_words.begin());
}

CParValue::CParValue(std::uint16_t address, std::uint16_t count, bool highByteFirst)
    : m_address(address), m_words(std::size_t{count} + 1, 0), m_highByteFirst(highByteFirst)
{
}

CParValue::CParValue(std::uint16_t address, std::uint16_t value)
    : m_address(address), m_words{value, 0}
{
}

CParValue::~CParValue() = default;

std::uint8_t CParValue::ByteAt(std::size_t position) const
{
    const std::uint16_t word = m_words[position / 2];
    const bool high = (position % 2 == 0) == m_highByteFirst;
    return static_cast<std::uint8_t>(high ? word >> 8 : word & 0xFF);
}

void CParValue::SetByteAt(std::size_t position, std::uint8_t byte)
{
    std::uint16_t& word = m_words[position / 2];
    const bool high = (position % 2 == 0) == m_highByteFirst;
    word = high ? static_cast<std::uint16_t>((word & 0x00FF) | (byte << 8))
                : static_cast<std::uint16_t>((word & 0xFF00) | byte);
}

void CParValue::SetString(int index, std::span<const std::uint8_t> bytes)
{
    if (index < 0 || index >= GetCount())
        return;
    const auto terminator = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    const auto length = static_cast<std::size_t>(terminator - bytes.begin());
    const std::size_t first = 2 * static_cast<std::size_t>(index);
    const std::size_t room = 2 * std::size_t{GetCount()} - first;

    if (!m_highByteFirst) {
        const std::size_t stored = std::min(length + 1, room);
        for (std::size_t i = 0; i < stored; ++i)
            SetByteAt(first + i, i < length ? bytes[i] : std::uint8_t{0});
        return;
    }
    for (std::size_t i = 0; i < room; ++i)
        SetByteAt(first + i, i < length ? bytes[i] : std::uint8_t{0});
}

void CParValue::SetString(int index, const QByteArray& bytes)
{
    std::vector<std::uint8_t> copy;
    copy.reserve(static_cast<std::size_t>(bytes.size()));
    for (const char byte : bytes)
        copy.push_back(static_cast<std::uint8_t>(byte));
    SetString(index, copy);
}

QByteArray CParValue::GetString(int index) const
{
    QByteArray text;
    if (index < 0 || index >= GetCount())
        return text;
    const std::size_t end = 2 * std::size_t{GetCount()};
    for (std::size_t position = 2 * static_cast<std::size_t>(index); position < end; ++position) {
        const std::uint8_t byte = ByteAt(position);
        if (byte != 0)
            text.append(static_cast<char>(byte));
        else if (!m_highByteFirst)
            break;
    }
    return text;
}
