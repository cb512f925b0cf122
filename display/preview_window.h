// The hidden child of the host's preview pane: on every timer tick it draws
// the banner straight onto the pane.
#pragma once

#include <windows.h>

LRESULT CALLBACK PreviewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
