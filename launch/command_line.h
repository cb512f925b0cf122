// Reading what the screen-saver host put on the command line: the tail after
// the program's own name, the run mode its switch letter asks for, and the
// window handle that may follow the switch.
#pragma once

#include <cstdint>

enum class RunMode { FullScreen, Password, Configure, Preview };

// The part of the process command line after the program name and the
// blanks and tabs that follow it; may be empty, never null.
const char* CommandTail(const char* commandLine);

// The mode named by the tail's second character ("/s", "-P 123", "/c:42").
// The first character is not looked at; a tail too short to hold a letter,
// and any letter other than A, C or P, means full screen.
RunMode RunModeOf(const char* tail);

// The decimal handle from the tail's fourth character on ("/p 768",
// "/p:768"); 0 when the tail is two characters or shorter.
int32_t HandleNumber(const char* tail);
