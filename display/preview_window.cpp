#include "display/preview_window.h"

#include "display/banner.h"
#include "display/colours.h"
#include "launch/saver_main.h"
#include "platform/window_identity.h"

namespace {

// Draws onto the pane, not into our own window, which is never shown. The
// pane's own default font is used; its default opaque background mode makes
// each write fill the banner's box with black.
void StepBanner()
{
    HDC dc = GetDC(ParentWindow);
    if (dc == nullptr)
        return;
    const int length = lstrlenA(BannerText);
    SetTextColor(dc, BlackColour);
    SetBkColor(dc, BlackColour);
    TextOutA(dc, BannerX, BannerY, BannerText, length);  // erase the last step

    BannerX = NextBannerX(BannerX);
    SetTextColor(dc, HeadColour);
    SetBkColor(dc, BlackColour);
    TextOutA(dc, BannerX, BannerY, BannerText, length);
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
