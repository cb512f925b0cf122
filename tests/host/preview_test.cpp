// The preview: this program plays the host and its preview pane. Wine does
// not show what one process draws through GetDC into another process's
// child window, so the pane here is a small top-level window; on Windows
// the host's pane is a child of its dialog.
#include <gtest/gtest.h>

#include "platform/window_identity.h"
#include "saver_host.h"

namespace {

HWND CreatePane()
{
    WNDCLASSA paneClass = {};
    paneClass.lpfnWndProc = DefWindowProcA;
    paneClass.hInstance = GetModuleHandleA(nullptr);
    paneClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    paneClass.lpszClassName = "PreviewPane";
    RegisterClassA(&paneClass);
    HWND pane = CreateWindowExA(0, "PreviewPane", "", WS_POPUP | WS_VISIBLE, 600, 100, 152, 112,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    PumpMessagesFor(100);
    return pane;
}

std::string Handle(HWND window)
{
    return std::to_string(reinterpret_cast<intptr_t>(window));
}

// The leftmost and topmost banner pixel in the pane; x is -1 with none.
POINT BannerCorner(HWND pane)
{
    const RECT box = BoundingBox(CaptureScreen(pane), HeadRgb);
    return IsRectEmpty(&box) ? POINT{-1, -1} : POINT{box.left, box.top};
}

}  // namespace

TEST(Preview, ScrollsTheBannerThroughThePaneUntilThePaneGoes)
{
    HWND pane = CreatePane();
    SaverProcess saver("/p " + Handle(pane));

    // Every step in order: 3 pixels left, from 137 on (the 'T' has no
    // left-side bearing in the default font; allow a pixel).
    std::vector<LONG> steps;
    POINT corner = {};
    WaitUntil([&] {
        corner = BannerCorner(pane);
        if (corner.x >= 0 && (steps.empty() || corner.x != steps.back()))
            steps.push_back(corner.x);
        return steps.size() >= 8;
    }, 5000);
    ASSERT_GE(steps.size(), 8u);
    EXPECT_GE(steps[0], 137);
    EXPECT_LE(steps[0], 138);
    for (size_t i = 1; i < steps.size(); ++i)
        EXPECT_EQ(steps[i - 1] - steps[i], 3) << "step " << i;
    EXPECT_GE(corner.y, 45);
    EXPECT_LE(corner.y, 50);

    HWND child = FindWindowExA(pane, nullptr, SaverClassName, SaverTitle);
    ASSERT_NE(child, nullptr);
    DWORD owner = 0;
    GetWindowThreadProcessId(child, &owner);
    EXPECT_EQ(owner, saver.Id());
    EXPECT_FALSE(IsWindowVisible(child));

    // A preview is not a running saver: a full-screen start goes ahead.
    {
        SaverProcess fullScreen("/s");
        HWND window = fullScreen.WaitForWindow(SaverClassName, SaverTitle, 5000);
        EXPECT_NE(window, nullptr);
        PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_EQ(fullScreen.WaitForExit(5000), 0u);
    }
    EXPECT_TRUE(saver.IsRunning());
    DestroyWindow(pane);
    EXPECT_EQ(saver.WaitForExit(5000), 0u);
}

TEST(Preview, TakesEveryHandleFormAndEndsAtOnceWithoutAPane)
{
    for (const char* form : {"/p:", "-P ", "/pX", "/P\t"}) {
        HWND pane = CreatePane();
        SaverProcess saver(form + Handle(pane));
        EXPECT_TRUE(WaitUntil([pane] { return BannerCorner(pane).x >= 0; }, 3000)) << form;
        DestroyWindow(pane);
        EXPECT_EQ(saver.WaitForExit(5000), 0u) << form;
    }

    HWND stale = CreatePane();
    DestroyWindow(stale);
    for (std::string tail : {std::string("/p"), std::string("/p 0"), std::string("/p abc"),
                             "/p " + Handle(stale), std::string("/p 2147483647"), std::string("/p -2")}) {
        SaverProcess saver(tail);
        EXPECT_EQ(saver.WaitForExit(5000), 0u) << tail;
    }
}
