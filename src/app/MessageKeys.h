#pragma once
#include <span>
// One message key the program looks up, and the inserts its callers pass, one letter per
// argument in order: 's' for a text, 'd' for an integer. An empty string means no arguments.
struct MessageKeyUse {
    const char* key;
    const char* inserts;
};
// Every message key used anywhere in the program; tests check both language files against it.
std::span<const MessageKeyUse> KnownMessageKeys();
