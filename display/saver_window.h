// The full-screen window: it animates the drops on every paint, follows the
// desktop when it changes, and closes on the user's input or when it loses
// activation.
#pragma once

#include <windows.h>

#include "display/drop.h"
#include "display/rain_layout.h"

// One area for each monitor the window covers. Area i holds the Quantity
// drops from Drops[i * Quantity] on; they are laid out at full-screen start
// and again whenever the desktop changes, and released by CloseSaver.
extern RainArea Areas[MaxRainAreas];
extern int32_t AreaCount;
extern Drop* Drops;
extern int32_t DropCount;

// The last mouse position seen, in client coordinates; FirstMouseMove until
// there is one since the start or the last change of the desktop.
extern bool FirstMouseMove;
extern int32_t LastMouseX;
extern int32_t LastMouseY;

// The pace of the rain: one tick every 50 ms, while the displays are on.
constexpr UINT TickInterval = 50;

// Replaces the drops with Quantity drops for each area, each with its own
// jittered speed; false, with no drops left, when there is no memory for
// them.
bool CreateDrops(const RainArea* areas, int32_t areaCount);

// CreateDrops over the monitors the window covers now; from then on the
// window keeps itself over the desktop.
bool LayOutDrops(HWND window);

// The areas of one cell size are painted together with one glyph font; this
// is the first area of that size, the one whose turn paints them.
int32_t FirstAreaOfCellSize(int32_t area);

// Counts one tick on every drop and draws those that move. Returns the last
// glyph font, still selected into the device context: the caller deletes
// it once the context has let go of it.
HFONT PaintDrops(HDC dc);

// The full-screen window, black and top-most, of a registered class whose
// window procedure is SaverWndProc: maximised on a desktop of one monitor,
// over the whole desktop on one of several. Null when it cannot be created.
HWND CreateFullScreenWindow(HINSTANCE instance, const char* className);

LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PaintSaver(HWND window);
void CloseSaver(HWND window);
