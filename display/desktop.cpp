#include "display/desktop.h"

#include "display/dpi_scale.h"
#include "platform/system_library.h"

namespace {

using DpiForWindow = UINT(WINAPI*)(HWND);
using AwarenessOfWindow = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
using SetThreadAwareness = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int EffectiveDpi = 0;  // MDT_EFFECTIVE_DPI: the scale the user chose

struct MonitorList {
    Monitor* Monitors;
    int32_t Count;
    DpiForMonitor DpiOf;  // null before Windows 8.1
    int FallbackDpi;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT box, LPARAM data)
{
    MonitorList& list = *reinterpret_cast<MonitorList*>(data);
    if (list.Count == MaxRainAreas)
        return FALSE;
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (list.DpiOf == nullptr || FAILED(list.DpiOf(monitor, EffectiveDpi, &dpiX, &dpiY)) || dpiY == 0)
        dpiY = static_cast<UINT>(list.FallbackDpi);
    list.Monitors[list.Count] = {{box->left, box->top, box->right, box->bottom},
                                 static_cast<int32_t>(dpiY)};
    ++list.Count;
    return TRUE;
}

}  // namespace

void TakeDpiAwarenessOf(HWND window)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    const auto awarenessOf = LookUp<AwarenessOfWindow>(user32, "GetWindowDpiAwarenessContext");
    const auto setAwareness = LookUp<SetThreadAwareness>(user32, "SetThreadDpiAwarenessContext");
    if (awarenessOf == nullptr || setAwareness == nullptr)
        return;
    const DPI_AWARENESS_CONTEXT awareness = awarenessOf(window);
    if (awareness != nullptr)  // null: not a window
        setAwareness(awareness);
}

int WindowDpi(HWND window)
{
    // Windows 10 1607 and later give each window the DPI of its monitor;
    // before, one DPI holds for the whole screen.
    const auto dpiForWindow = LookUp<DpiForWindow>(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    if (dpiForWindow != nullptr) {
        const UINT dpi = dpiForWindow(window);
        if (dpi != 0)  // 0: not a window
            return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : DesignDpi;
}

RECT VirtualScreen()
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

int32_t ReadMonitors(HWND window, Monitor* monitors)
{
    HMODULE shcore = LoadSystemLibrary("shcore.dll");  // Windows 8.1 and later
    MonitorList list = {monitors, 0, LookUp<DpiForMonitor>(shcore, "GetDpiForMonitor"),
                        WindowDpi(window)};
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    if (shcore != nullptr)
        FreeLibrary(shcore);
    return list.Count;
}
