#pragma once
// The length of a text in UTF-8, the encoding device registers store texts in: the number the
// byte counter under the text editor shows and the one the length checks compare.

#include <QString>

// Counted up to 1023 bytes, the room the counter converts into.
int Utf8ByteCount(const QString& text);
