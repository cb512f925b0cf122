#include "display/take_back.h"

#include <algorithm>

int32_t TakeBackTicks(int32_t lastTicks, uint64_t sinceTakeBack)
{
    if (sinceTakeBack >= FightMilliseconds)
        return 1;
    return std::min(2 * lastTicks, MostTakeBackTicks);
}
