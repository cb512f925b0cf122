#include "platform/parse_number.h"

namespace {

// Blank, tab, line feed, vertical tab, form feed and carriage return; no
// locale and no other code counts.
bool IsNumberSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

int32_t ParseNumber(const char* text)
{
    while (IsNumberSpace(*text))
        ++text;

    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }

    // Unsigned arithmetic gives the wrap without undefined overflow.
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10 + static_cast<uint32_t>(*text - '0');

    return static_cast<int32_t>(negative ? 0u - value : value);
}
