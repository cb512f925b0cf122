// The window procedures on real windows of this process, and a long soak.
#include <gtest/gtest.h>

#include <algorithm>

#include "display/preview_window.h"
#include "display/saver_window.h"
#include "launch/saver_main.h"
#include "settings/settings.h"

static BOOL WINAPI FailingFetch(LPMSG, HWND, UINT, UINT)
{
    return -1;
}

// At Speed 1 a drop moves every 5 or 6 ticks, and every paint is a tick; a paint of two cell
// sizes or a banner step keeping a font or a DC would use up the few GDI handles left. The end
// shows the cursor once.
TEST(SaverWindow, MovesTheDropsAndHoldsNothingWhilePaintingLong)
{
    WNDCLASSA saverClass = {0, SaverWndProc}, previewClass = {0, PreviewWndProc};
    saverClass.lpszClassName = "SaverTest";
    previewClass.lpszClassName = "PreviewTest";
    RegisterClassA(&saverClass);
    RegisterClassA(&previewClass);
    ParentWindow = CreateWindowA("Static", "", WS_POPUP, 0, 0, 152, 112, 0, 0, 0, 0);
    HWND preview = CreateWindowA("PreviewTest", "", WS_CHILD, 0, 0, 9, 9, ParentWindow, 0, 0, 0);
    HWND window = CreateWindowA("SaverTest", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, 0, 0, 0, 0);
    Quantity = 50;
    Speed = 1;
    const RainArea areas[] = {{0, 0, 320, 480, 19}, {320, 0, 320, 480, 38}};
    ASSERT_TRUE(preview && window && CreateDrops(areas, 2));
    int counts[8] = {};  // drops by ticks per move
    for (int i = 0; i < DropCount; ++i)
        ++counts[std::clamp(Drops[i].TicksPerMove, 0, 7)];
    EXPECT_TRUE(counts[5] > 20 && counts[6] > 20 && counts[5] + counts[6] == 100);
    ValidateRect(window, nullptr);
    SendMessageA(window, WM_TIMER, 999, 0);  // any timer
    UpdateWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    for (int i = 0; i < DropCount; ++i)
        ASSERT_EQ(Drops[i].TickCount, 2) << "drop " << i;

    auto run = [&](int times) {
        for (int i = 0; i < times; ++i) {
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
            SendMessageA(preview, WM_TIMER, 100, 0);
        }
    };
    run(500);  // past the caches Wine fills at first
    std::vector<HFONT> fonts;
    for (HFONT font; (font = CreateFontA(19, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));)
        fonts.push_back(font);
    for (int i = 0; i < 200; ++i) {
        DeleteObject(fonts.back());
        fonts.pop_back();
    }
    run(3000);
    for (int i = 0; i < 200; ++i)
        fonts.push_back(CreateFontA(19, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
    EXPECT_NE(fonts.back(), nullptr) << "GDI handles left";
    for (HFONT font : fonts)
        DeleteObject(font);

    const int cursor = ShowCursor(FALSE);
    SendMessageA(window, WM_SETCURSOR, WPARAM(window), HTCLIENT);
    SendMessageA(window, WM_SETCURSOR, WPARAM(window), HTCLIENT);
    EXPECT_TRUE(DestroyWindow(window)) << "ended while painting";
    EXPECT_EQ(ShowCursor(TRUE), cursor) << "hidden twice, shown once";
    MSG quit;
    EXPECT_TRUE(Drops == nullptr && PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)
                && quit.wParam == 0);
    ShowCursor(TRUE);
    DestroyWindow(ParentWindow);
    Speed = 5;
    EXPECT_EQ(RunMessageLoop(FailingFetch), 0);
}
