// The window procedures on real windows of this process, and a long soak.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "display/desktop.h"
#include "display/display_power.h"
#include "display/preview_window.h"
#include "display/saver_window.h"
#include "launch/saver_main.h"
#include "launch/window_identity.h"
#include "settings/settings.h"

static int CursorCount()
{
    ShowCursor(TRUE);
    return ShowCursor(FALSE);
}

// A full-screen window of this thread over two areas of 50 drops at Speed 1,
// and a preview window in a pane. Each test ends with them gone, and the
// settings, the cursor and the thread's queue as they were.
class SaverWindow : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const WNDCLASSA saver = {0, SaverWndProc, 0, 0, 0, 0, 0, 0, 0, "SaverTest"};
        const WNDCLASSA preview = {0, PreviewWndProc, 0, 0, 0, 0, 0, 0, 0, "PreviewTest"};
        RegisterClassA(&saver);
        RegisterClassA(&preview);
    }
    void SetUp() override
    {
        Cursor = CursorCount();
        Speed = 1;
        Quantity = 50;
        FirstMouseMove = true;
        ParentWindow = CreateWindowA("Static", "", WS_POPUP, 0, 0, 152, 112, 0, 0, 0, 0);
        Preview = CreateWindowA("PreviewTest", "", WS_CHILD, 0, 0, 9, 9, ParentWindow, 0, 0, 0);
        Window = CreateWindowA("SaverTest", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, 0, 0, 0, 0);
        const RainArea areas[] = {{0, 0, 320, 480, 19}, {320, 0, 320, 480, 38}};
        ASSERT_TRUE(Preview && Window && CreateDrops(areas, 2));
    }
    void TearDown() override
    {
        DestroyWindow(Window);  // its timer, its drops, the cursor shown once
        DestroyWindow(ParentWindow);
        ParentWindow = nullptr;
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) {
        }
        for (int count = CursorCount(); count != Cursor;)
            count = ShowCursor(count < Cursor);
        Speed = 5;
    }
    // Another program moves it away, shrinks it and puts it below the top-most windows.
    void PullAway() { SetWindowPos(Window, HWND_NOTOPMOST, 100, 100, 300, 200, SWP_NOACTIVATE); }
    int Cursor = 0;
    HWND Preview = nullptr;
    HWND Window = nullptr;
};

TEST_F(SaverWindow, AtSpeedOneEachDropMovesEveryFiveOrSixTicks)
{
    int counts[8] = {};  // drops by ticks per move
    for (int i = 0; i < DropCount; ++i)
        ++counts[std::clamp(Drops[i].TicksPerMove, 0, 7)];
    EXPECT_TRUE(counts[5] > 20 && counts[6] > 20 && counts[5] + counts[6] == 100)
        << counts[5] << " of 5 ticks, " << counts[6] << " of 6";
}

TEST_F(SaverWindow, EveryPaintCountsOneTickWhateverAskedForIt)
{
    ValidateRect(Window, nullptr);
    SendMessageA(Window, WM_TIMER, 999, 0);  // any timer
    UpdateWindow(Window);
    RedrawWindow(Window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    for (int i = 0; i < DropCount; ++i)
        ASSERT_EQ(Drops[i].TickCount, 2) << "drop " << i;
}

// A paint of two cell sizes or a banner step keeping a font or a DC would use
// up the few GDI handles left.
TEST_F(SaverWindow, PaintsAndBannerStepsHoldNoGdiHandles)
{
    auto run = [&](int times) {
        for (int i = 0; i < times; ++i) {
            InvalidateRect(Window, nullptr, FALSE);
            UpdateWindow(Window);
            SendMessageA(Preview, WM_TIMER, 100, 0);
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
}

// GUID_SESSION_DISPLAY_STATUS and GUID_MONITOR_POWER_ON, the settings the saver registers for.
static const GUID session = {0x2B84C20E, 0xAD23, 0x4DDF, {0x93, 0xDB, 0x05, 0xFF, 0xBD, 0x7E, 0xFC, 0xA5}};
static const GUID monitor = {0x02731015, 0x4510, 0x4526, {0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA}};

// The window's timer ticks taken off the queue over the time, and on to the wanted ones, which a busy machine delays.
static int TicksWithin(HWND window, DWORD ms, int wanted)
{
    int ticks = 0;
    for (const ULONGLONG start = GetTickCount64(); GetTickCount64() < start + (ticks < wanted ? 5000 : ms); Sleep(5))
        for (MSG tick; PeekMessageA(&tick, window, WM_TIMER, WM_TIMER, PM_REMOVE);)
            ++ticks;
    return ticks;
}

// Notifications in turn, whether the window takes each, and whether its timer then ticks, no faster
// than its pace, or rests: only while the displays are off, however often and whatever else is announced.
TEST_F(SaverWindow, RestsOnlyWhileTheDisplaysAreOff)
{
    SetTimer(Window, TimerId, TickInterval, nullptr);
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
        const LRESULT answer = SendMessageA(Window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, sent);
        const int ticks = TicksWithin(Window, 400, ticking ? 2 : 0);
        SCOPED_TRACE("step " + std::to_string(i));
        EXPECT_EQ(answer, taken ? TRUE : DefWindowProcA(Window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, sent));
        EXPECT_GE(ticks, ticking ? 2 : 0);
        EXPECT_LE(ticks, ticking ? 9 : 0);
    }
}

TEST_F(SaverWindow, ClosingShowsTheCursorOnceAndReleasesTheDrops)
{
    SendMessageA(Window, WM_SETCURSOR, WPARAM(Window), HTCLIENT);
    EXPECT_EQ(SendMessageA(Window, WM_SETCURSOR, WPARAM(Window), HTCLIENT), TRUE) << "no further processing";
    DestroyWindow(Window);
    EXPECT_EQ(CursorCount(), Cursor - 1) << "hidden twice, shown once";
    EXPECT_EQ(Drops, nullptr);
}

// Windows lets the change of active window complete only when the window losing activation answers
// TRUE; Wine goes on whatever it answers, so the answer is read here.
TEST_F(SaverWindow, LosingActivationClosesItAndLetsTheChangeComplete)
{
    EXPECT_EQ(SendMessageA(Window, WM_NCACTIVATE, FALSE, 0), TRUE);
    EXPECT_FALSE(IsWindow(Window));
}

// Laid out over a window smaller than the desktop, as if for smaller monitors.
TEST_F(SaverWindow, MovedItLaysItsDropsOutAfreshWhereTheMonitorsAreNotThoseOfItsDrops)
{
    ASSERT_TRUE(LayOutDrops(Window));
    PullAway();
    SendMessageA(Window, WM_TIMER, TimerId, 0);
    EXPECT_EQ(Areas[0].Width, VirtualScreen().right - VirtualScreen().left);
}

// The pointer's place in the window changes as the window moves under it or the desktop changes: the
// next position after each is recorded, not judged. The change needs no move, as the take-back has put
// the window over the desktop already.
TEST_F(SaverWindow, AMoveOrADesktopChangeTakesTheNextMousePositionForTheFirst)
{
    ASSERT_TRUE(LayOutDrops(Window));
    SendMessageA(Window, WM_MOUSEMOVE, 0, MAKELPARAM(400, 300));
    PullAway();
    SendMessageA(Window, WM_MOUSEMOVE, 0, MAKELPARAM(300, 200));
    SendMessageA(Window, WM_TIMER, TimerId, 0);
    SendMessageA(Window, WM_MOUSEMOVE, 0, MAKELPARAM(400, 300));
    SendMessageA(Window, WM_DISPLAYCHANGE, 32, 0);
    SendMessageA(Window, WM_MOUSEMOVE, 0, MAKELPARAM(300, 200));
    EXPECT_TRUE(IsWindow(Window));
}

TEST(DisplayPower, TheSessionsStatusFromWindows8OnTheMonitorsPowerBefore)
{
    // A kernel32 without the export Windows 8 brought stands for Windows 7.
    const std::pair<HMODULE, GUID> systems[] = {
        {GetModuleHandleA("kernel32.dll"), session}, {GetModuleHandleA("user32.dll"), monitor}, {nullptr, monitor},
    };
    for (const auto& [kernel32, setting] : systems)
        EXPECT_TRUE(IsEqualGUID(DisplayStateSetting(kernel32), setting)) << "module " << kernel32;
}

// Undoes what a test changed in the process, however the test ends.
struct Undo {
    std::function<void()> Action;
    ~Undo() { Action(); }
};

// A host's pane may have another awareness than the saver: the child is
// created in the pane's, which Windows requires within one window tree.
TEST(PreviewWindow, IsCreatedInThePanesDpiAwareness)
{
    const Undo awareness = {[saved = GetThreadDpiAwarenessContext()] { SetThreadDpiAwarenessContext(saved); }};
    const DPI_AWARENESS_CONTEXT system = DPI_AWARENESS_CONTEXT_SYSTEM_AWARE;
    const DPI_AWARENESS_CONTEXT perMonitor = DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE;  // Wine 8 refuses V2 here
    for (auto [pane, saver] : {std::pair{system, perMonitor}, {perMonitor, system}}) {
        ASSERT_TRUE(SetThreadDpiAwarenessContext(pane)) << "an awareness Wine takes";
        ParentWindow = CreateWindowA("Static", "", WS_POPUP, 0, 0, 152, 112, 0, 0, 0, 0);
        SetThreadDpiAwarenessContext(saver);
        EXPECT_NE(CreatePreviewWindow(nullptr, "Static"), nullptr);
        EXPECT_TRUE(AreDpiAwarenessContextsEqual(GetThreadDpiAwarenessContext(), pane)) << "pane " << pane;
        DestroyWindow(ParentWindow);
        ParentWindow = nullptr;
    }
}
