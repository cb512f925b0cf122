// The full-screen window: it animates the drops on every paint and closes on
// the user's input or when it loses activation.
#pragma once

#include <windows.h>

#include "display/drop.h"

// Quantity drops for each monitor, created at full-screen start and
// released by CloseSaver.
extern Drop* Drops;
extern int32_t DropCount;

// The monitors of the desktop when the saver started: one maximised window
// covers one monitor; across more, the window covers the whole desktop.
extern int32_t MonitorCount;

// The glyph height and cell size on this screen: CharHeight scaled to the
// window's DPI when the drops were created.
extern int32_t CellSize;

// The last mouse position seen, in client coordinates; FirstMouseMove until
// there is one.
extern bool FirstMouseMove;
extern int32_t LastMouseX;
extern int32_t LastMouseY;

// Creates Quantity drops for each monitor on a grid of cells of the given
// size over an area of the given size, each with its own jittered speed;
// false when there is no memory for them.
bool CreateDrops(int32_t areaWidth, int32_t areaHeight, int32_t cellSize);

LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PaintSaver(HWND window);
void CloseSaver(HWND window);
