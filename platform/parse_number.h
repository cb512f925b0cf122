// Decimal text to number, the way stored settings and window handles on the
// command line are read: leading white space, one optional sign, then digits
// up to the first other character. No digits give 0; too many digits wrap
// modulo 2^32 instead of failing.
#pragma once

#include <cstdint>

int32_t ParseNumber(const char* text);
