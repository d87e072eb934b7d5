#include "modbus/CPrivateException.h"

#include "app/CResourceDatabase.h"

#include <algorithm>
#include <vector>

CPrivateException::CPrivateException() = default;

CPrivateException::CPrivateException(const QString& text)
    : m_message(text), m_utf8(text.toStdString())
{
}

CPrivateException::CPrivateException(const CMessageFormatter& formatter)
    : CPrivateException(formatter.GetText())
{
}

bool CPrivateException::GetErrorMessage(std::span<char16_t> buffer, unsigned*) const
{
    if (buffer.empty())
        return false;
    const auto count = std::min<std::size_t>(static_cast<std::size_t>(m_message.size()), buffer.size() - 1);
    std::copy_n(reinterpret_cast<const char16_t*>(m_message.utf16()), count, buffer.begin());
    buffer[count] = u'\0';
    buffer.back() = u'\0';
    return true;
}

QString CPrivateException::ComposeMessage(const char* key, std::initializer_list<CMessageArgument> args)
{
    const QString keyText = QString::fromUtf8(key);
    const QString pattern = CResourceDatabase::Instance().GetMessageText(keyText);
    if (pattern.isEmpty())
        return keyText;
    const std::vector<CMessageArgument> list(args);
    return CMessageFormatter::FormatInserts(pattern, list);
}
