#include "display/preview_window.h"

#include "display/banner.h"
#include "display/colours.h"
#include "display/desktop.h"
#include "display/dpi_scale.h"
#include "launch/saver_main.h"
#include "launch/window_identity.h"

namespace {

// Draws onto the pane, not into our own window, which is never shown. The
// pane's own default font is used; its default opaque background mode makes
// each write fill the banner's box with black. The banner's path is laid
// out for a 96-DPI pane and scaled to the pane's DPI, so that it crosses the
// pane in the same place and the same number of steps at any scale.
void StepBanner()
{
    HDC dc = GetDC(ParentWindow);
    if (dc == nullptr)
        return;
    const int dpi = WindowDpi(ParentWindow);
    const int32_t top = ScaleToDpi(BannerY, dpi);
    const int length = lstrlenA(BannerText);
    SetTextColor(dc, BlackColour);
    SetBkColor(dc, BlackColour);
    TextOutA(dc, ScaleToDpi(BannerX, dpi), top, BannerText, length);  // erase the last step

    BannerX = NextBannerX(BannerX);
    SetTextColor(dc, HeadColour);
    SetBkColor(dc, BlackColour);
    TextOutA(dc, ScaleToDpi(BannerX, dpi), top, BannerText, length);
    ReleaseDC(ParentWindow, dc);
}

}  // namespace

LRESULT CALLBACK PreviewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        SetTimer(window, TimerId, 150, nullptr);
        return 0;
    case WM_DESTROY:
        // The host destroys its pane, and with it this window, when the
        // preview is no longer wanted.
        KillTimer(window, TimerId);
        PostQuitMessage(0);
        return 0;
    case WM_TIMER:
        StepBanner();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
