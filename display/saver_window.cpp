#include "display/saver_window.h"

#include <windowsx.h>

#include <cstdlib>
#include <cstring>

#include "display/desktop.h"
#include "display/display_power.h"
#include "display/drop_drawing.h"
#include "display/keep_over_desktop.h"
#include "launch/window_identity.h"
#include "platform/random.h"
#include "settings/settings.h"

RainArea Areas[MaxRainAreas];
int32_t AreaCount = 0;
Drop* Drops = nullptr;
int32_t DropCount = 0;
bool FirstMouseMove = true;
int32_t LastMouseX = 0;
int32_t LastMouseY = 0;

namespace {

// The monitors of the desktop the window is created over: a maximised
// window covers one monitor; across more, the window covers the whole
// desktop.
int32_t MonitorCount = 1;
bool DisplaysOff = false;  // until a notification says they are

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

void ReleaseDrops()
{
    free(Drops);
    Drops = nullptr;
    DropCount = 0;
    AreaCount = 0;
}

// The rain of the monitors the window covers now.
int32_t ReadRainAreas(HWND window, RainArea* areas)
{
    RECT client = {};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const PixelBox onDesktop = {client.left, client.top, client.right, client.bottom};
    Monitor monitors[MaxRainAreas];
    int32_t monitorCount = ReadMonitors(window, monitors);
    if (monitorCount == 0) {
        // The system reports no monitor: the window stands for one.
        monitors[0] = {onDesktop, WindowDpi(window)};
        monitorCount = 1;
    }
    return LayOutRain(monitors, monitorCount, onDesktop, CharHeight, areas);
}

// The desktop changed under the saver: another resolution or scale, a
// monitor plugged in or gone. It covers the desktop as it is now and lays
// the drops out afresh over the monitors there are now.
void FollowDesktop(HWND window)
{
    PutOverDesktop(window);
    // The pointer's place in the window moved with it, and the system sends
    // a mouse move for that, or moves the pointer as a monitor goes: no input.
    FirstMouseMove = true;
    if (!LayOutDrops(window))
        DestroyWindow(window);  // no memory: end as a start without it would
}

// Hidden or minimised, it ends, as it does when another window takes over.
// Moved, the pointer's place in the window moved with it: no input.
void FollowPlacement(HWND window, Placement placement)
{
    if (placement == Placement::Hidden) {
        // Posted, not sent: DestroyWindow hides the window first too, and a
        // close posted to a window already destroyed is never delivered.
        PostMessageA(window, WM_CLOSE, 0, 0);
    } else if (placement == Placement::Displaced) {
        FirstMouseMove = true;
    }
}

// Windows moves windows off a monitor that sleeps, as if it were unplugged,
// and back later in its own order, without a display change. Taken back,
// the drops fall on from where they were unless the monitors are no longer
// those they were laid out for.
void FollowTakeBack(HWND window)
{
    FirstMouseMove = true;  // the pointer's place in the window moved
    RainArea areas[MaxRainAreas];
    const int32_t count = ReadRainAreas(window, areas);
    const bool same = count == AreaCount && memcmp(areas, Areas, sizeof(RainArea) * count) == 0;
    if (!same && !CreateDrops(areas, count))
        DestroyWindow(window);
}

// Only displays that are off rest the saver: a dimmed one still shows the
// rain. The drops stay where they are, and the rain goes on from there.
void FollowDisplayState(HWND window, DisplayState state)
{
    const bool off = state == DisplayState::Off;
    if (off == DisplaysOff)
        return;  // announced again: never two timers
    DisplaysOff = off;
    if (off)
        KillTimer(window, TimerId);
    else
        SetTimer(window, TimerId, TickInterval, nullptr);
}

}  // namespace

bool CreateDrops(const RainArea* areas, int32_t areaCount)
{
    ReleaseDrops();
    // Plain records, each filled by InitDrop: no per-record construction.
    const int32_t count = Quantity * areaCount;
    if (count > 0) {
        Drops = static_cast<Drop*>(malloc(sizeof(Drop) * static_cast<size_t>(count)));
        if (Drops == nullptr)
            return false;
    }
    DropCount = count;
    AreaCount = areaCount;
    for (int32_t a = 0; a < areaCount; ++a) {
        Areas[a] = areas[a];
        const RainArea& area = Areas[a];
        for (int32_t i = a * Quantity; i < (a + 1) * Quantity; ++i) {
            const int32_t ticksPerMove = 6 - Speed + NextRandom() % 2;
            InitDrop(Drops[i], area.Width, area.Height, HeadColour, TrailColour, OnlyNumbers,
                     area.CellSize, ticksPerMove);
        }
    }
    return true;
}

bool LayOutDrops(HWND window)
{
    RainArea areas[MaxRainAreas];
    const int32_t count = ReadRainAreas(window, areas);
    if (!CreateDrops(areas, count))
        return false;
    StartKeepingOverDesktop();
    return true;
}

int32_t FirstAreaOfCellSize(int32_t area)
{
    int32_t first = 0;
    while (Areas[first].CellSize != Areas[area].CellSize)
        ++first;
    return first;
}

HFONT PaintDrops(HDC dc)
{
    // Chosen by the glyph height of the design, whatever the cell size.
    const char* blankingText = BlankingText(CharHeight);
    HFONT font = nullptr;
    for (int32_t first = 0; first < AreaCount; ++first) {
        if (FirstAreaOfCellSize(first) != first)
            continue;
        HFONT previous = font;
        font = CreateGlyphFont(Areas[first].CellSize);
        SelectObject(dc, font);
        if (previous != nullptr)
            DeleteObject(previous);  // no longer selected
        for (int32_t a = first; a < AreaCount; ++a) {
            if (FirstAreaOfCellSize(a) != first)
                continue;
            // A monitor's drops are drawn at its place, and nothing they
            // draw reaches a neighbour or a part of the desktop no monitor
            // shows.
            const RainArea& area = Areas[a];
            SelectClipRgn(dc, nullptr);
            SetViewportOrgEx(dc, area.Left, area.Top, nullptr);
            IntersectClipRect(dc, 0, 0, area.Width, area.Height);
            for (int32_t i = a * Quantity; i < (a + 1) * Quantity; ++i)
                UpdateDrop(Drops[i], dc, blankingText);
        }
    }
    return font;
}

HWND CreateFullScreenWindow(HINSTANCE instance, const char* className)
{
    // Read once, here: WM_CREATE maximises the window by the same count.
    const int monitors = GetSystemMetrics(SM_CMONITORS);
    MonitorCount = monitors > 1 ? monitors : 1;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int width = CW_USEDEFAULT;
    int height = CW_USEDEFAULT;
    if (MonitorCount > 1) {
        // It starts left of or above the primary monitor's corner when a
        // monitor lies there.
        const RECT desktop = VirtualScreen();
        x = desktop.left;
        y = desktop.top;
        width = desktop.right - desktop.left;
        height = desktop.bottom - desktop.top;
    }
    // Created visible, so it is shown and activated already.
    HWND window = CreateWindowExA(WS_EX_TOPMOST, className, SaverTitle, WS_POPUP | WS_VISIBLE,
                                  x, y, width, height, nullptr, nullptr, instance, nullptr);
    if (window != nullptr && MonitorCount == 1)
        ShowWindow(window, SW_SHOWMAXIMIZED);
    return window;
}

void PaintSaver(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HFONT font = PaintDrops(dc);
    EndPaint(window, &paint);
    // EndPaint has released the device context, so the font is no longer
    // selected anywhere and can go without selecting the old one back.
    if (font != nullptr)
        DeleteObject(font);
}

void CloseSaver(HWND window)
{
    KillTimer(window, TimerId);  // no tick may paint with the drops gone
    UnregisterForDisplayState();
    DisplaysOff = false;
    StopKeepingOverDesktop();
    ReleaseDrops();
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
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED:  // covers the desktop, not the rectangle it suggests
        FollowDesktop(window);
        return 0;
    case WM_WINDOWPOSCHANGED:
        FollowPlacement(window, WatchPlacement(window));
        break;  // the default sends WM_SIZE and WM_MOVE
    case WM_POWERBROADCAST: {
        if (wParam != PBT_POWERSETTINGCHANGE)
            break;  // only then does lParam point at a setting
        const DisplayState state =
            DisplayStateOf(reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam));
        if (state == DisplayState::Unknown)
            break;
        // Coming on is no input: whatever woke the displays ends the saver
        // itself, as it always does.
        FollowDisplayState(window, state);
        return TRUE;  // as Windows asks of a notification handled
    }
    case WM_SETCURSOR:
        ShowCursor(FALSE);
        return TRUE;  // handled: no further processing sets a cursor
    case WM_NCACTIVATE:
        // DestroyWindow hides the window before it gives up activation, so a
        // hidden window losing activation is already being destroyed; closing
        // it again from here would re-enter DestroyWindow, which under Wine
        // ends without WM_DESTROY and leaves the message loop running.
        if (wParam == FALSE && IsWindowVisible(window))
            SendMessageA(window, WM_CLOSE, 0, 0);
        // Windows lets the change of active window complete only when a
        // window that handles this message returns TRUE: 0 would veto it.
        return TRUE;
    case WM_TIMER:
        if (TakeDesktopBack(window))
            FollowTakeBack(window);
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
