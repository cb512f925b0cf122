// The title banner that scrolls through the host's preview pane.
#pragma once

#include <cstdint>

extern const char BannerText[];
// In pixels of a 96-DPI pane.
extern int32_t BannerX;        // left edge, starts at 140
extern const int32_t BannerY;  // top edge

// 3 pixels to the left; once the banner would start below -300, far enough
// out on the left, it starts over at 140.
int32_t NextBannerX(int32_t x);
