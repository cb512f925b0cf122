// The program's own entry: picks the run mode the host asked for and runs it.
#pragma once

#include <windows.h>

// The handle from the command line: owner of the password message and the
// options dialog, the pane to draw into in preview mode; 0 when none.
extern HWND ParentWindow;
extern bool PreviewMode;

// Returns the process exit status, 0 in every mode.
int SaverMain(HINSTANCE instance, const char* commandTail);
