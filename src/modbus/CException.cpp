#include "modbus/CException.h"

CException::~CException() = default;

bool CException::GetErrorMessage(std::span<char16_t> buffer, unsigned*) const
{
    if (!buffer.empty())
        buffer[0] = u'\0';
    return false;
}

QString CException::ErrorText() const
{
    return {};
}

const char* CException::what() const noexcept
{
    return "CException";
}
