#pragma once
// One positional insert of a composed message: a text or an integer, as the message key's text
// numbers them (%1, %2!d! ...).

#include <QString>

#include <concepts>
#include <cstdint>

class CMessageArgument {
public:
    CMessageArgument(const QString& text) : m_isText(true), m_text(text) {}
    CMessageArgument(const char* utf8) : m_isText(true), m_text(QString::fromUtf8(utf8)) {}
    CMessageArgument(const char16_t* text) : m_isText(true), m_text(QString::fromUtf16(text)) {}

    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, char>)
    CMessageArgument(T number) : m_isText(false), m_number(static_cast<std::int64_t>(number))
    {
    }

    bool IsText() const { return m_isText; }
    const QString& Text() const { return m_text; }
    std::int64_t Number() const { return m_number; }

private:
    bool m_isText;
    QString m_text;
    std::int64_t m_number = 0;
};
