// The full-screen saver on a desktop of two monitors, which script/test
// starts with the second monitor right of the primary and then left of it.
#include <set>

#include "saver_host.h"

// It covers the whole desktop, rains on both monitors with Quantity drops for
// each, and ends on a move on the monitor that is not the primary.
TEST(TwoMonitors, CoversTheDesktopAndRainsOnEachMonitor)
{
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "needs the desktop script/test starts";
    const RECT desktop = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                          GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                          GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const LONG primaryWidth = GetSystemMetrics(SM_CXSCREEN);
    const LONG otherLeft = desktop.left < 0 ? desktop.left : primaryWidth;
    StoreSettings({"5", "5", "10", "1"});  // digits stay inside their 19-pixel cells
    SetCursorPos(otherLeft + 500, 400);  // where the saver first sees the mouse
    Process saver("/s");
    HWND window = saver.WaitForWindow(SaverClass, SaverTitle);
    ASSERT_NE(window, nullptr);
    size_t most = 0;  // heads in one picture
    bool onPrimary = false;
    bool onOther = false;
    WaitUntil([&] {
        const Image shot = CaptureScreen(desktop);
        std::set<std::pair<int, int>> heads;  // the cells that show one
        for (int y = 0; y < shot.Height; ++y) {
            for (int x = 0; x < shot.Width; ++x) {
                if (shot.At(x, y) != HeadRgb)
                    continue;
                heads.insert({x / 19, y / 19});
                const LONG screenX = desktop.left + x;
                (screenX >= 0 && screenX < primaryWidth ? onPrimary : onOther) = true;
            }
        }
        most = std::max(most, heads.size());
        return most == 20 && onPrimary && onOther;
    }, 5000);
    EXPECT_TRUE(most == 20 && onPrimary && onOther)
        << most << " heads; on the primary " << onPrimary << ", on the other " << onOther;
    const RECT client = ClientArea(window);
    EXPECT_TRUE(CoversOnTop(window, desktop)) << client.left << "," << client.top << " "
        << client.right << "," << client.bottom << ", foreground " << (GetForegroundWindow() == window);
    ASSERT_EQ(saver.WaitForExit(300), STILL_ACTIVE);
    SetCursorPos(otherLeft + 300, 300);
    EXPECT_EQ(saver.WaitForExit(5000), 0u);
}
