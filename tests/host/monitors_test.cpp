// The full-screen saver on a desktop of two monitors, which script/test
// starts with equal monitors, the second right of the primary and then left
// of it, and with a 1280x1024 primary beside a 1024x768 monitor, below which
// (1280,768)-(2304,1024) lies on no monitor.
#include "saver_host.h"

static BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT box, LPARAM list)
{
    reinterpret_cast<std::vector<RECT>*>(list)->push_back(*box);
    return TRUE;
}

// Whether a window over the whole desktop shows on the monitor too. Wine 10
// takes a window that holds a whole monitor for a full-screen window of that
// monitor and shows it there alone; Windows and Wine 8 show it everywhere.
static bool ShowsAcross(const RECT& desktop, const RECT& monitor)
{
    HWND white = CreateWindowExA(WS_EX_TOPMOST, "Static", "", WS_POPUP | WS_VISIBLE | SS_WHITERECT, desktop.left,
                                 desktop.top, desktop.right - desktop.left, desktop.bottom - desktop.top, 0, 0, 0, 0);
    const bool shows = WaitUntil([&] { return CaptureScreen(monitor).At(9, 9) == 0xFFFFFF; }, 2000);
    DestroyWindow(white);
    return shows;
}

// It covers the whole desktop; every monitor holds Quantity heads on a grid
// of its own, from its own corner (each drawn clipped to its monitor, as the
// paint on a bitmap shows); and a move on the monitor that is not the
// primary ends it.
TEST(TwoMonitors, RainsOnEachMonitorOnItsOwnGrid)
{
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, LPARAM(&monitors));
    std::sort(monitors.begin(), monitors.end(), [](const RECT& a, const RECT& b) { return a.left < b.left; });
    std::string boxes;  // as script/test gives them in MONITOR_BOXES
    for (const RECT& m : monitors)
        boxes += std::to_string(m.left) + "," + std::to_string(m.top) + "," + std::to_string(m.right) + ","
                 + std::to_string(m.bottom) + (&m == &monitors.back() ? "" : " ");
    // script/test names the desktop it made; elsewhere the test takes the machine's.
    char asked[100] = {};
    if (GetEnvironmentVariableA("MONITOR_BOXES", asked, sizeof asked)) {
        ASSERT_EQ(boxes, asked) << "the test bed is not the desktop script/test asked for";
    } else if (monitors.size() < 2) {
        GTEST_SKIP() << "this desktop has one monitor";
    }
    if (GetDpiForSystem() != 96)
        GTEST_SKIP() << "its cells are counted at 96 DPI, and this machine is at " << GetDpiForSystem();
    const RECT desktop = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                          GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                          GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const RECT other = monitors[monitors[0].left == 0 && monitors[0].top == 0];
    if (!ShowsAcross(desktop, other))
        GTEST_SKIP() << "this Wine shows a window over the whole desktop on one monitor only";
    StoreSettings({"5", "5", "10", "1"});  // digits fill the left of their 19-pixel cells
    SetCursorPos(other.left + 500, other.top + 400);  // where the saver first sees the mouse
    Process saver("/s");
    HWND window = saver.WaitForWindow(SaverClass, SaverTitle);
    ASSERT_NE(window, nullptr);
    size_t most[2] = {};  // heads on each monitor in one picture
    int offGrid = 0;
    // A picture may catch a paint half done, or two drops in one cell: it looks
    // for three seconds at least, and until each monitor has shown all its heads.
    const ULONGLONG least = GetTickCount64() + 3000;
    WaitUntil([&] {
        const Image shot = CaptureScreen(desktop);
        for (int m = 0; m < 2; ++m) {
            RECT part = monitors[m];
            OffsetRect(&part, -desktop.left, -desktop.top);
            most[m] = std::max(most[m], HeadCells(shot, part, 19).size());
            for (int y = part.top; y < part.bottom; ++y)
                for (int x = part.left; x < part.right; ++x)
                    offGrid += shot.At(x, y) == HeadRgb && (x - part.left) % 19 >= 12;
        }
        return GetTickCount64() >= least && most[0] >= 10 && most[1] >= 10;
    }, 10000);
    EXPECT_TRUE(most[0] == 10 && most[1] == 10) << most[0] << " and " << most[1] << " heads";
    EXPECT_EQ(offGrid, 0) << "head pixels in the right of their monitor's cells";
    EXPECT_TRUE(CoversOnTop(window, desktop));
    ASSERT_EQ(saver.WaitForExit(0), STILL_ACTIVE);
    SetCursorPos(other.left + 300, other.top + 300);
    EXPECT_EQ(saver.WaitForExit(5000), 0u);
}
