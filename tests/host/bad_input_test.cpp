// A preview without a pane ends at once, and any start ends with status 0,
// on its own or once what it shows is closed as a user closes it.
#include <random>

#include "saver_host.h"

TEST(BadInput, AnyCommandTailEndsWithStatusZero)
{
    HWND gone = CreateWindowA("Static", "", 0, 0, 0, 9, 9, 0, 0, 0, 0);
    DestroyWindow(gone);
    Texts tails = {"/p", "/p 0", "/p abc", "/p " + HandleText(gone), "/p 2147483647", "/p -2"};
    std::mt19937 random(4242);
    // Like a switch, then any characters, or too many digits to name a window.
    for (int i = 0; i < 30; ++i) {
        std::string tail = {"/-x "[random() % 4], "sSaAcCpPqZ9 /"[random() % 13], ": \tx"[random() % 4]};
        for (int n = i % 3 ? 10 + random() % 30 : 1000 + random() % 3000; n > 0; --n)
            tail += i % 3 == 1 ? char(32 + random() % 224) : char('0' + random() % 10);
        tails.push_back(tail);
    }
    for (size_t i = 0; i < tails.size(); ++i) {
        Process saver(tails[i]);
        HWND shown = nullptr;  // full screen, the dialog or a message box
        WaitUntil([&] {
            return saver.WaitForExit(0) != STILL_ACTIVE || (shown = saver.WaitForWindow(0, 0, 0));
        }, 5000);
        EXPECT_TRUE(i >= 6 || !shown) << "tail \"" << tails[i] << "\" shows a window";
        PostMessageA(shown, WM_KEYDOWN, VK_SPACE, 0);
        PostMessageA(shown, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(saver.WaitForExit(5000), 0u) << "tail \"" << tails[i] << "\"";
    }
}
