#include "app/Utf8ByteCount.h"

#include <algorithm>

namespace {

constexpr qsizetype kCountedBytes = 1023;

} // namespace

int Utf8ByteCount(const QString& text)
{
    return static_cast<int>(std::min(text.toUtf8().size(), kCountedBytes));
}
