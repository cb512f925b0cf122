#include "display/keep_over_desktop.h"

#include "display/desktop.h"
#include "display/take_back.h"

namespace {

// Everything the window knows of its fight for the desktop; reset whole.
struct KeepState {
    bool Keeping = false;
    // Moved, sized or lowered by another program since the last take-back.
    bool Displaced = false;
    int32_t DisplacedTicks = 0;
    int32_t TakeBackWait = 1;
    ULONGLONG LastTakeBack = 0;  // GetTickCount64's time
};

KeepState Keep;

}  // namespace

void PutOverDesktop(HWND window)
{
    // From here on the window keeps the rectangle given to it: the system
    // would put a maximised one back onto one monitor, and Wine leaves it
    // at its old size.
    if (IsZoomed(window))
        ShowWindow(window, SW_SHOWNOACTIVATE);
    const RECT desktop = VirtualScreen();
    SetWindowPos(window, HWND_TOPMOST, desktop.left, desktop.top, desktop.right - desktop.left,
                 desktop.bottom - desktop.top, SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
}

bool IsOverDesktop(HWND window)
{
    RECT box = {};
    GetWindowRect(window, &box);
    const RECT desktop = VirtualScreen();
    const bool onTop = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    return EqualRect(&box, &desktop) && onTop;
}

void StartKeepingOverDesktop()
{
    Keep.Keeping = true;
}

void StopKeepingOverDesktop()
{
    Keep = {};
}

// Hidden or minimised, the saver would go on unseen and still stop every
// later start as a running saver: on Windows, hiding or minimising the
// foreground window activates another anyway, and showing itself again
// would fight whoever hid it. Moved, sized or lowered, it goes back over the
// desktop at a tick, never sooner, and later the more it is fought over.
Placement WatchPlacement(HWND window)
{
    if (!Keep.Keeping)
        return Placement::Kept;
    if (!IsWindowVisible(window) || IsIconic(window))
        return Placement::Hidden;
    if (IsOverDesktop(window))
        return Placement::Kept;
    if (!Keep.Displaced)
        Keep.TakeBackWait = TakeBackTicks(Keep.TakeBackWait, GetTickCount64() - Keep.LastTakeBack);
    Keep.Displaced = true;
    return Placement::Displaced;
}

bool TakeDesktopBack(HWND window)
{
    if (!Keep.Displaced || ++Keep.DisplacedTicks < Keep.TakeBackWait)
        return false;
    Keep.DisplacedTicks = 0;
    const bool away = !IsOverDesktop(window);
    if (away) {
        Keep.LastTakeBack = GetTickCount64();
        PutOverDesktop(window);
    }
    // Cleared only now: putting it back moves the window itself, and those
    // moves are no other program's.
    Keep.Displaced = false;
    return away;
}
