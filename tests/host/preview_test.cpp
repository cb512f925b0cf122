// The banner the saver scrolls through a host's pane. Wine does not show
// what one process draws through GetDC into another process's child window,
// so the pane is a top-level window here; on Windows it is a child.
#include "saver_host.h"

// In pixels of a 96-DPI pane, the banner steps 3 pixels to the left every
// 150 ms from 137, at y 45; the pane is 152 x 112, but wider at 96 DPI to
// show the whole banner.
TEST(Preview, ScrollsTheBannerThroughThePaneAtItsScaleUntilThePaneGoes)
{
    for (auto [asked, form] : {std::pair{96, "/p "}, {192, "-P:"}}) {
        const ScreenDpi scale(asked);
        const int dpi = scale.Dpi;
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        const int width = dpi == 96 ? 400 : 304, height = MulDiv(112, dpi, 96);
        const RECT area = {500, 100, 500 + width, 100 + height};
        Process host("--pane " + std::to_string(width) + " " + std::to_string(height),
                     "cadrel_host_tests.exe");
        HWND pane = host.WaitForWindow("Static", nullptr);
        PumpMessagesFor(100);  // painted
        Process saver(form + HandleText(pane));
        std::vector<std::pair<LONG, ULONGLONG>> steps;  // the left edge, and when it was seen
        RECT box = {};
        WaitUntil([&] {
            box = CaptureScreen(area).Box(HeadRgb);
            if (!IsRectEmpty(&box) && (steps.empty() || box.left != steps.back().first))
                steps.push_back({box.left, GetTickCount64()});
            return steps.size() == 10;
        }, 5000);
        ASSERT_EQ(steps.size(), 10u);
        const LONG first = MulDiv(137, dpi, 96);  // or a pixel more, the first glyph's bearing
        EXPECT_TRUE(steps[0].first == first || steps[0].first == first + 1) << steps[0].first;
        // A busy machine may show two steps in one picture: the steps made are counted by where it is.
        // The ticks it delays are lost, never made up: no faster than a step in 150 ms on the whole,
        // and some single step as soon as its tick allows.
        const LONG step = MulDiv(3, dpi, 96);
        ULONGLONG quickest = 5000;  // between two pictures a single step apart
        for (size_t i = 1; i < steps.size(); ++i) {
            const LONG moved = steps[i - 1].first - steps[i].first;
            EXPECT_EQ(moved % step, 0) << "step " << i;
            if (moved == step)
                quickest = std::min(quickest, steps[i].second - steps[i - 1].second);
        }
        const double made = double(steps[0].first - steps[9].first) / step;
        const double ms = (steps[9].second - steps[0].second) / made;
        EXPECT_TRUE(made >= 9 && ms > 140) << made << " steps, " << ms << " ms a step";
        EXPECT_LT(quickest, 200u);
        EXPECT_TRUE(box.top >= MulDiv(45, dpi, 96) && box.top <= MulDiv(50, dpi, 96)) << box.top;
        // At 96 DPI the pane's default font is this process's too: the whole
        // banner and no trace of the step before, give or take the pixel by
        // which the two processes' text smoothing differs.
        const RECT font = Picture(400, 112, [](HDC dc) {
            SetTextColor(dc, RGB(0, 255, 0));
            SetBkColor(dc, 0);
            TextOutA(dc, 0, 45, "The Cadrel Screen Saver by Quillmarsh", 37);
        }).Box(HeadRgb);
        for (auto [drawn, expected] : {std::pair{box.right - box.left, font.right - font.left},
                                       {box.top, font.top}, {box.bottom, font.bottom}})
            EXPECT_TRUE(dpi != 96 || std::abs(drawn - expected) <= 1) << drawn << " for " << expected;
        // Its own window is a hidden child of the pane, which no start takes for a running saver.
        HWND child = FindWindowExA(pane, nullptr, SaverClass, SaverTitle);
        EXPECT_TRUE(GetWindowThreadProcessId(child, nullptr) == saver.Info.dwThreadId
                    && !IsWindowVisible(child));
        PostMessageA(pane, WM_CLOSE, 0, 0);
        EXPECT_EQ(saver.WaitForExit(5000), 0u);
    }
    if (!WineSetsTheDpi())
        GTEST_SKIP() << OneScaleOnly;
}
