#include "launch/command_line.h"

#include "platform/parse_number.h"

namespace {

const char* SkipBlanks(const char* text)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    return text;
}

}  // namespace

const char* CommandTail(const char* commandLine)
{
    const char* p = SkipBlanks(commandLine);
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"' && *p != '\t')
            ++p;
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t')
            ++p;
    }
    if (*p == '"')
        ++p;
    return SkipBlanks(p);
}

RunMode RunModeOf(const char* tail)
{
    if (tail[0] == '\0')
        return RunMode::FullScreen;
    switch (tail[1]) {
    case 'A': case 'a': return RunMode::Password;
    case 'C': case 'c': return RunMode::Configure;
    case 'P': case 'p': return RunMode::Preview;
    default: return RunMode::FullScreen;
    }
}

int32_t HandleNumber(const char* tail)
{
    // Step over the switch and the separator one character at a time, so a
    // short tail never lets us read past its end.
    for (int i = 0; i < 3; ++i) {
        if (tail[i] == '\0')
            return 0;
    }
    return ParseNumber(tail + 3);
}
