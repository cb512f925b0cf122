// Every length in the saver's design is a count of pixels on a 96-DPI
// screen. The saver is per-monitor DPI aware, so Windows does not stretch
// what it draws: it scales those lengths to each screen itself.
#pragma once

#include <cstdint>

constexpr int32_t DesignDpi = 96;

// A length of the design, in pixels at the given DPI, rounded to the
// nearest pixel with halves away from zero, as the system's MulDiv does.
inline int32_t ScaleToDpi(int32_t length, int32_t dpi)
{
    const int64_t scaled = static_cast<int64_t>(length) * dpi;
    const int64_t half = DesignDpi / 2;
    return static_cast<int32_t>((scaled >= 0 ? scaled + half : scaled - half) / DesignDpi);
}
