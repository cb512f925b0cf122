// The one pseudo-random source of the process: a 64-bit linear congruential
// generator whose results are the upper half of the state with the sign bit
// cleared, so they are never negative.
#pragma once

#include <cstdint>

void SeedRandom(uint32_t seed);
int32_t NextRandom();
