#pragma once
// Common base of every error the program throws. Catchers take a `const CException&` and read
// the text through GetErrorMessage; platform failures are wrapped into the same family.

#include <QString>

#include <exception>
#include <span>
#include <string>

class CException : public std::exception {
public:
    CException() = default;
    CException(const CException&) = default;
    CException& operator=(const CException&) = default;
    ~CException() override;

    // Copies the message into `buffer`, cut to size - 1 characters and always zero-terminated.
    // The base has no message: it yields an empty text and false.
    virtual bool GetErrorMessage(std::span<char16_t> buffer, unsigned* helpContext = nullptr) const;

    // The whole message, uncut.
    virtual QString ErrorText() const;

    const char* what() const noexcept override;
};
