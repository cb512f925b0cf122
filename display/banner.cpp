#include "display/banner.h"

const char BannerText[] = "The Cadrel Screen Saver by Quillmarsh";
int32_t BannerX = 140;
const int32_t BannerY = 45;

int32_t NextBannerX(int32_t x)
{
    x -= 3;
    return x < -300 ? 140 : x;
}
