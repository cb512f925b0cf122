// How the desktop is divided among the drops: one area for each monitor,
// where that monitor lies in the saver's window, with cells as tall as the
// glyphs are on that monitor. Each area's drops fall on a grid that starts
// at its top-left corner and wrap within it.
#pragma once

#include <cstdint>

// A rectangle of pixels; Right and Bottom lie just outside it.
struct PixelBox {
    int32_t Left;
    int32_t Top;
    int32_t Right;
    int32_t Bottom;
};

struct Monitor {
    PixelBox Box;  // on the desktop
    int32_t Dpi;
};

struct RainArea {
    int32_t Left;  // in the window's client area
    int32_t Top;
    int32_t Width;
    int32_t Height;
    int32_t CellSize;
};

// More monitors than this share a desk only in a control room; the rest
// stay black.
constexpr int32_t MaxRainAreas = 16;

// The areas of the monitors, in their order, each cut to the window's
// client area (given on the desktop); a monitor with no pixels in it gets
// none. Fills at most MaxRainAreas and returns how many.
int32_t LayOutRain(const Monitor* monitors, int32_t monitorCount, const PixelBox& client,
                   int32_t charHeight, RainArea* areas);
