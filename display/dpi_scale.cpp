#include "display/dpi_scale.h"

namespace {

using DpiForWindow = UINT(WINAPI*)(HWND);

}  // namespace

int WindowDpi(HWND window)
{
    // Windows 10 1607 and later give each window the DPI of its monitor.
    // Looked up rather than imported, so the saver still starts on older
    // Windows, where one DPI holds for the whole screen.
    const auto dpiForWindow = reinterpret_cast<DpiForWindow>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
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
