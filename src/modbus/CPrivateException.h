#pragma once
// The program's one error type. User-facing errors are composed at the throw site from a
// language-file message key and positional inserts; a key without a text shows the key itself.
// An empty message means that the user cancelled.

#include "app/CResourceManager.h"
#include "modbus/CException.h"
#include "modbus/CMessageArgument.h"
#include "modbus/CMessageFormatter.h"

#include <QString>

#include <initializer_list>
#include <string>
#include <utility>

class CPrivateException : public CException, public CResourceManager {
public:
    // No message.
    CPrivateException();
    // The message is `text` as it stands (an empty text signals a cancellation).
    explicit CPrivateException(const QString& text);
    // The message is the formatter's system text.
    explicit CPrivateException(const CMessageFormatter& formatter);
    // The message of `key` from the language file, with `args` in insert order.
    template <typename... Args>
    explicit CPrivateException(const char* key, Args&&... args)
        : CPrivateException(ComposeMessage(key, {CMessageArgument(std::forward<Args>(args))...}))
    {
    }

    bool GetErrorMessage(std::span<char16_t> buffer, unsigned* helpContext = nullptr) const override;
    QString ErrorText() const override { return m_message; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

    bool IsCancellation() const { return m_message.isEmpty(); }

    static QString ComposeMessage(const char* key, std::initializer_list<CMessageArgument> args);

private:
    QString m_message;
    std::string m_utf8;
};
