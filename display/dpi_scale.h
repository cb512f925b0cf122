// Every length in the saver's design is a count of pixels on a 96-DPI
// screen. The saver is per-monitor DPI aware, so Windows does not stretch
// what it draws: it scales those lengths to the screen itself.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int DesignDpi = 96;

// The DPI of the screen the window is on.
int WindowDpi(HWND window);

// A length of the design, in pixels at the given DPI.
inline int32_t ScaleToDpi(int32_t length, int dpi)
{
    return MulDiv(length, dpi, DesignDpi);
}
