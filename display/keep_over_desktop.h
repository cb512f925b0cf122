// Keeping the full-screen window over the whole desktop, top-most, while
// other programs move, size, lower, hide or minimise it.
#pragma once

#include <windows.h>

// What the last change of the window's place means for the saver.
enum class Placement {
    Kept,       // still over the desktop, or not yet kept there
    Displaced,  // moved, sized or lowered: taken back at a later tick
    Hidden,     // hidden or minimised: unseen, the saver must not go on
};

// Puts the window over the whole desktop as it is now, top-most and black.
void PutOverDesktop(HWND window);

// Whether the window lies over the whole desktop, top-most.
bool IsOverDesktop(HWND window);

// From now on a change of place counts; before, the window is still being
// created, shown and maximised.
void StartKeepingOverDesktop();

// Forgets the place kept, the moves seen and the pace of taking back.
void StopKeepingOverDesktop();

// The window's place changed: what that means.
Placement WatchPlacement(HWND window);

// At a tick: puts a displaced window back over the desktop once it has
// waited its ticks. True when it did, so the caller can follow the move.
bool TakeDesktopBack(HWND window);
