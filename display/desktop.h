// What the system says about the screens the saver draws on: the desktop
// around every monitor, each monitor with its DPI, and a window's DPI.
#pragma once

#include <windows.h>

#include "display/rain_layout.h"

// Gives the calling thread the DPI awareness of a window of another
// program, so that a child of it may be created; nothing where Windows is
// older than per-window awareness (Windows 10 1607).
void TakeDpiAwarenessOf(HWND window);

// The DPI of the screen the window is on.
int WindowDpi(HWND window);

// The rectangle around every monitor (the virtual screen); on a desktop of
// one monitor, that monitor.
RECT VirtualScreen();

// The monitors in the system's order, at most MaxRainAreas, each with its
// own DPI, or the window's where the system cannot tell.
int32_t ReadMonitors(HWND window, Monitor* monitors);
