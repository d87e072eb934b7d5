#include "ConsoleOutput.h"

#include <unistd.h>

#include <cstdio>

namespace {

void Write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void PrintOut(const QString& text)
{
    Write(stdout, text);
}

void PrintError(const QString& text)
{
    Write(stderr, text);
}

bool IsErrorTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}
