#include "platform/random.h"

namespace {

// Before the first seed the state is 0, as after SeedRandom(0).
uint64_t RandomState = 0;

// 1486058704437: the halves are 0x15A and 0x4E35.
constexpr uint64_t RandomMultiplier = 0x0000015A00004E35ULL;

}  // namespace

void SeedRandom(uint32_t seed)
{
    RandomState = seed;
}

int32_t NextRandom()
{
    RandomState = RandomState * RandomMultiplier + 1;  // wraps modulo 2^64
    return static_cast<int32_t>((RandomState >> 32) & 0x7FFFFFFF);
}
