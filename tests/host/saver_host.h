// The end-to-end tests' host: starts the built Cadrel.scr, finds its
// windows, reads the screen, and sets the DPI the processes it starts see.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>

#include "settings_registry.h"

constexpr char SaverClass[] = "Quillmarsh", SaverTitle[] = "The Cadrel Screen Saver";
constexpr uint32_t HeadRgb = 0x00FF00, TrailRgb = 0x46733C;  // as pixels read, 0xRRGGBB

// A file in this program's folder, or the full path given.
std::string PathBeside(const std::string& name);

// A program beside this one, started as "<quoted path> <tail>" the way the
// host starts the saver, with the right to take the foreground that the
// system gives a saver it starts, and ended with this object, so no saver
// outlives its test.
struct Process {
    explicit Process(const std::string& tail, const char* program = "Cadrel.scr");
    ~Process();
    DWORD WaitForExit(DWORD ms);  // the exit status, or STILL_ACTIVE
    // A visible top-level window of it with the class and title (null: any).
    HWND WaitForWindow(const char* className, const char* title, DWORD ms = 5000);
    PROCESS_INFORMATION Info = {};
};

// Under Wine, whose ntdll says so by an export of its own. Set-ups only Wine
// can make (a DPI for the processes it starts, a display mode the X screen
// allows) are made there alone; on Windows the tests use what the machine has.
inline bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

// Whether the processes Wine starts see the screen at the DPI of "LogPixels":
// inside a Wine desktop they do; outside one Wine 10 gives it to the system
// DPI alone, and the monitor keeps its own, as on Windows after a rescale.
inline bool WineSetsTheDpi()
{
    char desktop[64] = {};
    DWORD size = sizeof desktop;
    return UnderWine() && RegGetValueA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer", "Desktop", RRF_RT_REG_SZ,
                                       nullptr, desktop, &size) == ERROR_SUCCESS;
}

// While one lives, processes that start see the screen at Dpi: the one asked
// for where Wine sets it, else the machine's own.
struct ScreenDpi {
    explicit ScreenDpi(DWORD asked) : Dpi(int(WineSetsTheDpi() ? asked : GetDpiForSystem()))
    {
        if (WineSetsTheDpi())
            RegSetKeyValueA(HKEY_CURRENT_USER, Key, Value, REG_DWORD, &asked, 4);
    }
    ~ScreenDpi()
    {
        if (WineSetsTheDpi())
            RegDeleteKeyValueA(HKEY_CURRENT_USER, Key, Value);
    }
    const int Dpi;
    static constexpr char Key[] = "Control Panel\\Desktop", Value[] = "LogPixels";
};
constexpr char OneScaleOnly[] = "shown at this screen's own DPI only: other scales need a DPI that Wine sets";

// Pixels as 0xRRGGBB, row by row from the top.
struct Image {
    int Width, Height;
    std::vector<uint32_t> Pixels;
    uint32_t At(int x, int y) const { return Pixels[size_t(y) * Width + x]; }

    // The box around every pixel of the colour (in the part); empty when there is none.
    RECT Box(uint32_t rgb, RECT part = {0, 0, INT_MAX, INT_MAX}) const
    {
        RECT box = {Width, Height, 0, 0};
        for (int y = std::max<int>(part.top, 0); y < std::min<int>(part.bottom, Height); ++y)
            for (int x = std::max<int>(part.left, 0); x < std::min<int>(part.right, Width); ++x)
                if (At(x, y) == rgb)
                    box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                           std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
        return box;
    }
};

// What a drawing leaves on a black 32-bit bitmap of the size.
inline Image Picture(int width, int height, const std::function<void(HDC)>& draw)
{
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB}};
    uint32_t* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, (void**)&bits, nullptr, 0);
    SelectObject(dc, bitmap);
    draw(dc);
    GdiFlush();
    Image image = {width, height, std::vector<uint32_t>(bits, bits + width * height)};
    for (uint32_t& pixel : image.Pixels)
        pixel &= 0xFFFFFF;
    DeleteDC(dc);
    DeleteObject(bitmap);
    return image;
}

// Polls every 20 ms, handling this thread's messages meanwhile.
bool WaitUntil(const std::function<bool()>& condition, DWORD ms);
inline void PumpMessagesFor(DWORD ms) { WaitUntil([] { return false; }, ms); }
inline std::string HandleText(HWND window) { return std::to_string(intptr_t(window)); }
inline std::string ItemText(HWND dialog, int id)  // 0xFFFF: a message box's text
{
    char text[100] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}
inline RECT ClientArea(HWND window)  // on the screen, as this process sees it
{
    RECT area = {};
    GetClientRect(window, &area);
    MapWindowPoints(window, nullptr, (POINT*)&area, 2);
    return area;
}
// The saver's window covers the area and is the top-most foreground window.
inline bool CoversOnTop(HWND window, const RECT& area)
{
    const RECT client = ClientArea(window);
    return EqualRect(&client, &area) && GetForegroundWindow() == window
           && (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
}
inline RECT ScreenArea() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }
inline Image CaptureScreen(RECT area = ScreenArea())
{
    HDC screen = GetDC(nullptr);
    const int width = area.right - area.left, height = area.bottom - area.top;
    Image image = Picture(width, height, [&](HDC dc) {
        BitBlt(dc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    });
    ReleaseDC(nullptr, screen);
    return image;
}

// The cells that show a head pixel, on a grid of the cell size from the
// part's corner (in the picture's pixels).
inline std::set<std::pair<int, int>> HeadCells(const Image& shot, const RECT& part, int cell)
{
    std::set<std::pair<int, int>> cells;
    for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x)
            if (shot.At(x, y) == HeadRgb)
                cells.insert({(x - part.left) / cell, (y - part.top) / cell});
    return cells;
}

// Whether a message box shows the system icon: its first static control
// shows nothing else on the box's background.
inline bool ShowsIcon(HWND box, const char* icon)
{
    const Image seen = CaptureScreen(ClientArea(FindWindowExA(box, nullptr, "Static", nullptr)));
    return seen.Width > 0 && seen.Pixels == Picture(seen.Width, seen.Height, [&](HDC dc) {
        const RECT all = {0, 0, seen.Width, seen.Height};
        FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
        DrawIconEx(dc, 0, 0, LoadIconA(nullptr, icon), 0, 0, 0, nullptr, DI_NORMAL);
    }).Pixels;
}
