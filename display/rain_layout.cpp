#include "display/rain_layout.h"

#include <algorithm>

#include "display/dpi_scale.h"

int32_t LayOutRain(const Monitor* monitors, int32_t monitorCount, const PixelBox& client,
                   int32_t charHeight, RainArea* areas)
{
    int32_t count = 0;
    for (int32_t i = 0; i < monitorCount && count < MaxRainAreas; ++i) {
        const PixelBox& box = monitors[i].Box;
        const int32_t left = std::max(box.Left, client.Left);
        const int32_t top = std::max(box.Top, client.Top);
        const int32_t right = std::min(box.Right, client.Right);
        const int32_t bottom = std::min(box.Bottom, client.Bottom);
        if (right <= left || bottom <= top)
            continue;
        RainArea& area = areas[count];
        area.Left = left - client.Left;
        area.Top = top - client.Top;
        area.Width = right - left;
        area.Height = bottom - top;
        // A drop needs cells of at least a pixel, whatever DPI is reported.
        area.CellSize = std::max(1, ScaleToDpi(charHeight, monitors[i].Dpi));
        ++count;
    }
    return count;
}
