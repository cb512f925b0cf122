// The window procedures on real windows of this process, and a long soak.
#include <gtest/gtest.h>

#include <algorithm>

#include "display/preview_window.h"
#include "display/saver_window.h"
#include "launch/saver_main.h"
#include "launch/window_identity.h"
#include "settings/settings.h"

// The window's timer ticks within the time, taken off the queue.
static int TicksWithin(HWND window, DWORD ms)
{
    int ticks = 0;
    for (const ULONGLONG end = GetTickCount64() + ms; GetTickCount64() < end; Sleep(5))
        for (MSG tick; PeekMessageA(&tick, window, WM_TIMER, WM_TIMER, PM_REMOVE);)
            ++ticks;
    return ticks;
}

// The calling thread's awareness as a window is created; a window procedure
// would see its own window's.
static DPI_AWARENESS_CONTEXT AwarenessAtCreation = nullptr;

static LRESULT CALLBACK RecordAwareness(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
        AwarenessAtCreation = GetThreadDpiAwarenessContext();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A host's pane may have another awareness than the saver: the child is
// created in the pane's, which Windows requires within one window tree.
TEST(PreviewWindow, IsCreatedInThePanesDpiAwareness)
{
    HHOOK hook = SetWindowsHookExA(WH_CBT, RecordAwareness, nullptr, GetCurrentThreadId());
    const DPI_AWARENESS_CONTEXT system = DPI_AWARENESS_CONTEXT_SYSTEM_AWARE;
    const DPI_AWARENESS_CONTEXT perMonitor = DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE;  // Wine 8 refuses V2 here
    for (auto [pane, saver] : {std::pair{system, perMonitor}, {perMonitor, system}}) {
        ASSERT_TRUE(SetThreadDpiAwarenessContext(pane)) << "an awareness Wine takes";
        ParentWindow = CreateWindowA("Static", "", WS_POPUP, 0, 0, 152, 112, 0, 0, 0, 0);
        SetThreadDpiAwarenessContext(saver);
        EXPECT_NE(CreatePreviewWindow(nullptr, "Static"), nullptr);
        EXPECT_TRUE(AreDpiAwarenessContextsEqual(AwarenessAtCreation, pane)) << "pane " << pane;
        DestroyWindow(ParentWindow);
    }
    UnhookWindowsHookEx(hook);
    ParentWindow = nullptr;
}

static BOOL WINAPI FailingFetch(LPMSG, HWND, UINT, UINT)
{
    return -1;
}

// At Speed 1 a drop moves every 5 or 6 ticks, and every paint is a tick; a paint of two cell
// sizes or a banner step keeping a font or a DC would use up the few GDI handles left. The timer
// rests while the displays are off. The end shows the cursor once.
TEST(SaverWindow, MovesTheDropsRestsWhileTheDisplaysAreOffAndHoldsNothing)
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

    // Notifications in turn, whether the window takes each, and whether its timer then ticks at its
    // pace or rests: only while the displays are off, however often and whatever else is announced.
    SetTimer(window, TimerId, TickInterval, nullptr);
    const GUID session = {0x2B84C20E, 0xAD23, 0x4DDF, {0x93, 0xDB, 0x05, 0xFF, 0xBD, 0x7E, 0xFC, 0xA5}};
    const GUID monitor = {0x02731015, 0x4510, 0x4526, {0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA}};
    const GUID console = {0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};
    const struct { GUID guid; DWORD length, state; bool taken, ticking; } steps[] = {
        {monitor, 4, 0, true, false}, {session, 4, 0, true, false},     // off, as Vista and 8 say
        {console, 4, 1, false, false}, {session, 3, 1, false, false},   // not registered, too short
        {session, 4, 3, false, false}, {monitor, 4, 2, false, false},   // no such state
        {session, 8, 2, true, true}, {session, 4, 0, true, false},      // dimmed, off
        {monitor, 4, 1, true, true}, {session, 4, 1, true, true},       // on, and on again
        {session, 0, 0, false, true},                                    // no setting at all
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        const auto& [guid, length, state, taken, ticking] = steps[i];
        const struct { GUID Guid; DWORD Length, State; } setting = {guid, length, state};
        const LPARAM sent = length ? LPARAM(&setting) : 0;
        const LRESULT answer = SendMessageA(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, sent);
        const int ticks = TicksWithin(window, 400);
        EXPECT_TRUE((answer == TRUE || !taken) && (ticking ? ticks >= 5 && ticks <= 9 : ticks == 0))
            << "step " << i << ": answered " << answer << ", " << ticks << " ticks";
    }

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
