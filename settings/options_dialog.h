// The modal options dialog ("CONFIGUREDIALOG") in which the user edits the
// settings.
#pragma once

#include <windows.h>

INT_PTR CALLBACK OptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the current settings in the dialog's fields.
void FillOptionsDialog(HWND dialog);

// Checks Size, Speed and Quantity in that order and reports the first bad
// one in a message box; when all are good, assigns all four settings.
bool ReadOptionsDialog(HWND dialog);
