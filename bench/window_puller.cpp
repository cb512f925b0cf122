// Pulls the running saver's window to (200,150), 400 x 300, below the
// top-most windows, whenever it is not there, looking every 10 ms, as a
// window-layout tool might; ends with the saver's window.
#include <windows.h>

#include "launch/window_identity.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HWND saver = FindWindowA(SaverClassName, SaverTitle);
    if (saver == nullptr)
        return 1;
    const RECT away = {200, 150, 600, 450};
    for (RECT at; GetWindowRect(saver, &at); Sleep(10)) {
        if (!EqualRect(&at, &away))
            SetWindowPos(saver, HWND_NOTOPMOST, away.left, away.top, away.right - away.left,
                         away.bottom - away.top, SWP_NOACTIVATE);
    }
    return 0;
}
