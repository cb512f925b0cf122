// What the start leaves the process with: the windows the command line's
// handles name, the DLL search, and a message loop that can end.
#include <gtest/gtest.h>

#include <string>

#include "launch/command_line.h"
#include "launch/saver_main.h"

// Numbers past 2^32 wrap, as before; one that names no window, the
// message-only parent HWND_MESSAGE (-3) among them, owns nothing.
TEST(ParentWindow, OnlyANumberThatNamesAWindowCountsAsOne)
{
    HWND real = CreateWindowA("Static", "", 0, 0, 0, 9, 9, 0, 0, 0, 0);
    const int64_t number = intptr_t(real);
    const std::pair<std::string, HWND> handles[] = {
        {std::to_string(number), real}, {std::to_string(number + (int64_t(1) << 32)), real},
        {"0", nullptr}, {"-3", nullptr}, {"4294967293", nullptr},
    };
    for (const auto& [text, window] : handles)
        EXPECT_EQ(WindowFromNumber(HandleNumber(("/p " + text).c_str())), window) << "handle " << text;
    DestroyWindow(real);
}

// A DLL that lies only beside the program is found by its bare name until the
// saver starts, and not after; the start restricts the search for good, so
// it runs in a process of its own.
TEST(DllSearch, AfterTheStartADllBesideTheProgramIsNotFoundByItsName)
{
    HMODULE beside = LoadLibraryA("planted.dll");
    EXPECT_NE(beside, nullptr) << "found before the start";
    FreeLibrary(beside);
    EXPECT_EXIT({
        SaverMain(nullptr, "/p 0");
        exit(LoadLibraryA("planted.dll") ? 1 : 0);
    }, testing::ExitedWithCode(0), "") << "found after the start";
}

static BOOL WINAPI FailingFetch(LPMSG, HWND, UINT, UINT)
{
    return -1;
}

TEST(MessageLoop, EndsWithStatusZeroWhenNoMessageCanBeFetched)
{
    EXPECT_EQ(RunMessageLoop(FailingFetch), 0);
}
