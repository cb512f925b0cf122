#include "display/saver_window.h"

#include <cstdlib>

#include "display/drop_drawing.h"
#include "launch/window_identity.h"
#include "platform/random.h"
#include "settings/settings.h"

Drop* Drops = nullptr;
int32_t CellSize = 19;
bool FirstMouseMove = true;
int32_t LastMouseX = 0;
int32_t LastMouseY = 0;

namespace {

// Only a movement that changes both coordinates ends the saver: the first
// position is merely recorded, and so is a slide along one axis, which a
// nudged table or a jittery mouse produces easily.
void TrackMouse(HWND window, LPARAM lParam)
{
    const int32_t x = LOWORD(lParam);
    const int32_t y = HIWORD(lParam);
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
    Drops = static_cast<Drop*>(malloc(sizeof(Drop) * static_cast<size_t>(Quantity)));
    if (Drops == nullptr)
        return false;
    for (int32_t i = 0; i < Quantity; ++i) {
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
        for (int32_t i = 0; i < Quantity; ++i)
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
    ShowCursor(TRUE);
    PostQuitMessage(0);
}

LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
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
