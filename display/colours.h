// The saver's colours, 0x00BBGGRR as the platform packs them.
#pragma once

#include <cstdint>

using Colour = uint32_t;

constexpr Colour BlackColour = 0x000000;
constexpr Colour HeadColour = 0x00FF00;   // red 0, green 255, blue 0
constexpr Colour TrailColour = 0x3C7346;  // red 70, green 115, blue 60
