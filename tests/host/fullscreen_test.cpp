#include <gtest/gtest.h>

#include "platform/window_identity.h"
#include "saver_host.h"

TEST(FullScreen, RainsAndEndsOnAKeyPress)
{
    DeleteSettingsKey();
    SaverProcess saver("/s");
    ASSERT_TRUE(saver.Started());
    HWND window = saver.WaitForWindow(SaverClassName, SaverTitle, 5000);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([] { return CountPixels(CaptureScreen(), HeadRgb) > 0; }, 3000));
    PostMessageA(window, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(saver.WaitForExit(5000), 0u);
}
