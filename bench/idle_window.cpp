// The baseline for the saver's CPU use and start-up time: a full-screen,
// top-most window whose 50 ms timer invalidates it as the saver's does, and
// whose paints draw nothing. Its background is the saver's head colour, so
// first_frame sees its first frame the way it sees the saver's first heads.
#include <windows.h>

namespace {

LRESULT CALLBACK IdleWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
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
    windowClass.hbrBackground = CreateSolidBrush(RGB(0, 255, 0));
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
