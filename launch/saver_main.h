// The program's own entry: picks the run mode the host asked for and runs it.
#pragma once

#include <windows.h>

#include <cstdint>

// The handle from the command line: owner of the password message and the
// options dialog, the pane to draw into in preview mode; 0 when none.
extern HWND ParentWindow;
extern bool PreviewMode;

// Returns the process exit status, 0 in every mode. Before anything else,
// DLLs come from the system folder only.
int SaverMain(HINSTANCE instance, const char* commandTail);

// The window a handle from the command line names: null for 0 and for a
// number that names no window, which then owns nothing.
HWND WindowFromNumber(int32_t number);

// The hidden child of the host's pane ParentWindow, of a registered class
// whose window procedure is PreviewWndProc, created in the pane's DPI
// awareness. Null when the pane is not (or no longer) a window, rather than
// a process left waiting for a pane that will never be destroyed.
HWND CreatePreviewWindow(HINSTANCE instance, const char* className);

// Dispatches the thread's messages until the quit message and returns its
// code; returns 0 at once when a message cannot be fetched. The fetch is a
// parameter because the system offers no way to make it fail on purpose.
using MessageFetch = BOOL(WINAPI*)(LPMSG, HWND, UINT, UINT);
int RunMessageLoop(MessageFetch fetchMessage = GetMessageA);
