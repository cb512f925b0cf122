// Random command tails: every start ends with status 0, on its own or after
// the mode it started is closed the way a user would close it.
#include <gtest/gtest.h>

#include <random>

#include "platform/window_identity.h"
#include "saver_host.h"

namespace {

std::string RandomTail(std::mt19937& random)
{
    const char* numbers[] = {"", "0", "-1", "abc", "99999999999999999999", "-2147483648",
                             "2147483647", " \t 12", "+65536", "0x10", "4294967296"};
    std::string tail;
    switch (random() % 3) {
    case 0:  // switch-like
        tail += "/-x "[random() % 4];
        tail += "sSaAcCpPqZ9 /"[random() % 13];
        tail += ": \tx"[random() % 4];
        tail += numbers[random() % (sizeof numbers / sizeof numbers[0])];
        break;
    case 1:  // any printable or high characters
        for (int n = random() % 40; n > 0; --n)
            tail += static_cast<char>(32 + random() % 224);
        break;
    default:  // long
        tail = "/p " + std::string(1000 + random() % 3000, static_cast<char>('0' + random() % 10));
    }
    return tail;
}

// Closes whatever the start opened; false when it shows nothing to close.
bool CloseMode(SaverProcess& saver)
{
    if (HWND window = saver.WaitForWindow(SaverClassName, SaverTitle, 0))
        return PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    if (HWND dialog = saver.WaitForWindow("#32770", nullptr, 0))
        return PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return false;
}

}  // namespace

TEST(BadInput, RandomCommandTailsEndWithStatusZero)
{
    std::mt19937 random(4242);
    for (int round = 0; round < 40; ++round) {
        const std::string tail = RandomTail(random);
        SaverProcess saver(tail);
        ASSERT_TRUE(saver.Started());
        DWORD status = saver.WaitForExit(1500);
        if (status == STILL_ACTIVE) {
            // A mode that waits for the user: full screen, dialog or message box.
            WaitUntil([&] { return CloseMode(saver); }, 3000);
            status = saver.WaitForExit(5000);
        }
        EXPECT_EQ(status, 0u) << "tail \"" << tail << "\"";
    }
}
