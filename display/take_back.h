// How long the full-screen window waits, in ticks, before it takes the screen
// back from a program that moved it. One move is answered at the next tick;
// a program that keeps moving the window gets it back less and less often,
// as each take-back repaints the whole screen.
#pragma once

#include <cstdint>

// 300 ms: the screen is covered again within half a second of the last move.
constexpr int32_t MostTakeBackTicks = 6;

// Moved again within this long of the last take-back, the window is being
// fought over.
constexpr uint64_t FightMilliseconds = 1000;

// The wait for a move that comes this long after the last take-back, which
// waited the ticks given.
int32_t TakeBackTicks(int32_t lastTicks, uint64_t sinceTakeBack);
