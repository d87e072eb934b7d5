#pragma once
// A register image: a start address and a run of 16-bit holding register words, exactly as they
// travel to and from the device. It holds a parameter's value and also the merged register
// blocks that the monitor reads in one request.
//
// Texts are stored in the words as byte strings. Two byte orders exist because the devices store
// most texts with the first character of a pair in the low byte, and network names with it in the
// high byte.

#include <QByteArray>

#include <cstdint>
#include <span>
#include <vector>

class CParValue {
public:
    CParValue() = default;
    // `count` words copied from `words` (missing source words are zero).
    CParValue(std::uint16_t address, std::uint16_t count, std::span<const std::uint16_t> words,
              bool highByteFirst);
    // `count` zero words.
    CParValue(std::uint16_t address, std::uint16_t count, bool highByteFirst);
    // One word holding `value`.
    CParValue(std::uint16_t address, std::uint16_t value);
    CParValue(const CParValue&) = default;
    CParValue& operator=(const CParValue&) = default;
    CParValue(CParValue&&) noexcept = default;
    CParValue& operator=(CParValue&&) noexcept = default;
    virtual ~CParValue();

    std::uint16_t GetAddress() const { return m_address; }
    std::uint16_t GetCount() const
    {
        return m_words.empty() ? 0 : static_cast<std::uint16_t>(m_words.size() - 1);
    }
    bool IsHighByteFirst() const { return m_highByteFirst; }

    // The `GetCount()` register words; the caller may overwrite them (a device read does).
    std::span<std::uint16_t> GetWords() { return {m_words.data(), GetCount()}; }
    std::span<const std::uint16_t> GetWords() const { return {m_words.data(), GetCount()}; }

    // Stores a zero-ended byte string into the byte area from word `index` on. The string ends
    // at its first zero byte or at the end of `bytes`. Never fails: a string longer than the room
    // is cut to it.
    //  - low byte first: the string and its terminating zero when they fit, else the first bytes
    //    that fit; bytes after the terminator keep their earlier contents;
    //  - high byte first: the bytes that fit, then every remaining byte of the room set to 0.
    void SetString(int index, std::span<const std::uint8_t> bytes);
    void SetString(int index, const QByteArray& bytes);

    // The byte string from word `index` on. Low byte first: up to the first zero byte or the end
    // of the area. High byte first: every non-zero byte up to the end (zero bytes are skipped,
    // they do not end the text).
    QByteArray GetString(int index) const;

    bool operator==(const CParValue& other) const = default;

private:
    // Byte `position` of the byte area: word position / 2, low or high half per the byte order.
    std::uint8_t ByteAt(std::size_t position) const;
    void SetByteAt(std::size_t position, std::uint8_t byte);

    std::uint16_t m_address = 0;
    // Count + 1 words: the last one is always 0, so a byte string in the words always ends.
    // (A moved-from image holds no words at all and counts as empty.)
    std::vector<std::uint16_t> m_words = std::vector<std::uint16_t>(1, 0);
    bool m_highByteFirst = false;
};
