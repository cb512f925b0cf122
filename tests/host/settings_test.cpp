// What a start makes of the stored settings, seen from outside: the values
// it leaves in the registry and the rain it then draws.
#include <gtest/gtest.h>

#include "platform/window_identity.h"
#include "saver_host.h"

namespace {

void StoreSettings(const char* size, const char* speed, const char* quantity, const char* only)
{
    DeleteSettingsKey();
    WriteSettingText("Size", size);
    WriteSettingText("Speed", speed);
    WriteSettingText("Quantity", quantity);
    WriteSettingText("OnlyNumbers", only);
}


}  // namespace

// "/p" without a pane does nothing but the start-up work, which includes
// bringing the settings into shape.
TEST(StoredSettings, EveryStartRepairsTheKey)
{
    using Texts = std::vector<std::string>;
    DeleteSettingsKey();
    SaverProcess fresh("/p");
    EXPECT_EQ(fresh.WaitForExit(5000), 0u);
    EXPECT_EQ(StoredSettingTexts(), (Texts{"5", "5", "50", "2"}));

    StoreSettings("3", "9", "42", "1");
    SaverProcess repair("/p");
    EXPECT_EQ(repair.WaitForExit(5000), 0u);
    EXPECT_EQ(StoredSettingTexts(), (Texts{"3", "5", "50", "2"}));
}

TEST(StoredSettings, TheRainFollowsThem)
{
    // One drop of digits: at any moment exactly one head glyph.
    StoreSettings("5", "5", "1", "1");
    {
        SaverProcess saver("/s");
        ASSERT_NE(saver.WaitForWindow(SaverClassName, SaverTitle, 5000), nullptr);
        int framesWithAHead = 0;
        for (int frame = 0; frame < 10; ++frame) {
            PumpMessagesFor(70);
            const RECT head = BoundingBox(CaptureScreen(), HeadRgb);
            if (IsRectEmpty(&head))
                continue;  // before the first move
            ++framesWithAHead;
            EXPECT_LE(head.right - head.left, 19) << "frame " << frame;
            EXPECT_LE(head.bottom - head.top, 19) << "frame " << frame;
        }
        EXPECT_GE(framesWithAHead, 8);
    }

    // Size 10: glyphs of 24 pixels on a 24-pixel grid. Digits are about
    // half as wide as their cell, so the right part of every column stays
    // dark; on a 19-pixel grid it would not.
    StoreSettings("10", "5", "100", "1");
    SaverProcess saver("/s");
    ASSERT_NE(saver.WaitForWindow(SaverClassName, SaverTitle, 5000), nullptr);
    PumpMessagesFor(1500);
    const ScreenImage screen = CaptureScreen();
    std::vector<int> columns(24), rows(24);
    for (int y = 0; y < screen.Height; ++y)
        for (int x = 0; x < screen.Width; ++x)
            if (screen.At(x, y) == TrailRgb) {
                ++columns[x % 24];
                ++rows[y % 24];
            }
    EXPECT_GT(columns[5] + columns[7], 1000);
    for (int i = 14; i < 24; ++i)
        EXPECT_EQ(columns[i], 0) << "trail pixels " << i << " pixels into a column";
    for (int i : {0, 1, 2, 22, 23})
        EXPECT_EQ(rows[i], 0) << "trail pixels " << i << " pixels into a row";
}
