// The baseline for the saver's CPU use and start-up time: a full-screen,
// top-most, black window whose 50 ms timer invalidates it as the saver's
// does, and whose paints draw nothing, except that the first one marks one
// cell in the saver's head colour so first_frame.py sees it as it sees the
// saver's first heads.
#include <windows.h>

namespace {

bool FirstPaint = true;

void PaintIdle(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (FirstPaint) {
        const RECT cell = {0, 0, 19, 19};
        HBRUSH head = CreateSolidBrush(RGB(0, 255, 0));
        FillRect(dc, &cell, head);
        DeleteObject(head);
        FirstPaint = false;
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK IdleWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_PAINT:
        PaintIdle(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = IdleWndProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "CadrelIdleWindow";
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND window = CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "Idle window",
                                  WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance,
                                  nullptr);
    if (window == nullptr)
        return 1;
    SetTimer(window, 1, 50, nullptr);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
