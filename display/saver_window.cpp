#include "display/saver_window.h"

#include <windowsx.h>

#include <cstdlib>

#include "display/drop_drawing.h"
#include "launch/window_identity.h"
#include "platform/random.h"
#include "settings/settings.h"

Drop* Drops = nullptr;
int32_t DropCount = 0;
int32_t MonitorCount = 1;
int32_t CellSize = 19;
bool FirstMouseMove = true;
int32_t LastMouseX = 0;
int32_t LastMouseY = 0;

namespace {

// Only a movement that changes both coordinates ends the saver: the first
// position is merely recorded, and so is a slide along one axis, which a
// nudged table or a jittery mouse produces easily. Read as signed numbers,
// as programs that run across several monitors must.
void TrackMouse(HWND window, LPARAM lParam)
{
    const int32_t x = GET_X_LPARAM(lParam);
    const int32_t y = GET_Y_LPARAM(lParam);
    if (FirstMouseMove || x == LastMouseX || y == LastMouseY) {
        LastMouseX = x;
        LastMouseY = y;
        FirstMouseMove = false;
        return;
    }
    DestroyWindow(window);
}

}  // namespace

bool CreateDrops(int32_t areaWidth, int32_t areaHeight, int32_t cellSize)
{
    CellSize = cellSize;
    // Plain records, each filled by InitDrop: no per-record construction.
    const int32_t count = Quantity * MonitorCount;
    Drops = static_cast<Drop*>(malloc(sizeof(Drop) * static_cast<size_t>(count)));
    if (Drops == nullptr)
        return false;
    DropCount = count;
    for (int32_t i = 0; i < DropCount; ++i) {
        const int32_t ticksPerMove = 6 - Speed + NextRandom() % 2;
        InitDrop(Drops[i], areaWidth, areaHeight, HeadColour, TrailColour, OnlyNumbers,
                 cellSize, ticksPerMove);
    }
    return true;
}

void PaintSaver(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HFONT font = CreateGlyphFont(CellSize);
    SelectObject(dc, font);
    if (Drops != nullptr) {
        const char* blankingText = BlankingText(CharHeight);
        for (int32_t i = 0; i < DropCount; ++i)
            UpdateDrop(Drops[i], dc, blankingText);
    }
    EndPaint(window, &paint);
    // EndPaint has released the device context, so the font is no longer
    // selected anywhere and can go without selecting the old one back.
    DeleteObject(font);
}

void CloseSaver(HWND window)
{
    KillTimer(window, TimerId);  // no tick may paint with the drops gone
    free(Drops);
    Drops = nullptr;
    DropCount = 0;
    ShowCursor(TRUE);
    PostQuitMessage(0);
}

LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        // A maximised window fills one monitor. Across several, the window
        // keeps the whole desktop it was created over: Windows would put a
        // maximised one back onto one monitor.
        if (MonitorCount == 1)
            SendMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        return 0;
    case WM_DESTROY:
        CloseSaver(window);
        return 0;
    case WM_PAINT:
        PaintSaver(window);
        return 0;
    case WM_SETCURSOR:
        ShowCursor(FALSE);
        return 0;
    case WM_NCACTIVATE:
        // DestroyWindow hides the window before it gives up activation, so a
        // hidden window losing activation is already being destroyed; closing
        // it again from here would re-enter DestroyWindow, which under Wine
        // ends without WM_DESTROY and leaves the message loop running.
        if (wParam == FALSE && IsWindowVisible(window))
            SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_TIMER:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE:
        TrackMouse(window, lParam);
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_LBUTTONDOWN:
        DestroyWindow(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
