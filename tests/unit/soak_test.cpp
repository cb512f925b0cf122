// Long runs and hostile input: nothing grows, nothing breaks, every failure
// ends in status 0.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <random>
#include <vector>

#include "display/saver_window.h"
#include "launch/saver_main.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "settings_registry.h"

namespace {

// The process's committed private memory (Wine leaves PrivateUsage at 0 but
// fills this, the same figure on Windows).
SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

}  // namespace

// Nothing a paint obtains may outlive it. Wine reports a GDI count of 0, so
// the handles still to be had are counted as well.
TEST(Soak, AHundredThousandPaintsHoldNoMoreThanOne)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SaverWndProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "SoakTest";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "SoakTest", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    Quantity = 10;
    ASSERT_TRUE(CreateDrops(640, 480));
    auto paint = [window](int times) {
        for (int i = 0; i < times; ++i) {
            InvalidateRect(window, nullptr, FALSE);
            UpdateWindow(window);
        }
    };
    paint(1000);
    const DWORD objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const SIZE_T bytes = PrivateBytes();
    paint(100000);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), objects);
    EXPECT_LT(PrivateBytes(), bytes + 1024 * 1024) << "from " << bytes;
    // A process gets about 65000 GDI handles under Wine and 10000 on Windows:
    // lost fonts would have used them all up.
    std::vector<HFONT> fonts;
    for (HFONT font; fonts.size() < 1000 && (font = CreateFontA(19, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial")); )
        fonts.push_back(font);
    EXPECT_EQ(fonts.size(), 1000u) << "GDI handles left";
    for (HFONT font : fonts)
        DeleteObject(font);
    DestroyWindow(window);
    Quantity = 50;
    MSG message;
    PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// Whatever bytes of whatever type the four values hold, a start leaves four
// values that load as they are, and valid settings.
TEST(Soak, AnyStoredBytesLeaveValidSettings)
{
    const char* names[] = {"Size", "Speed", "Quantity", "OnlyNumbers"};
    const DWORD types[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_BINARY, REG_NONE};
    const char alphabet[] = " \t\r+-0123456789x\0\xff";
    std::mt19937 random(20261206);
    for (int round = 0; round < 3000; ++round) {
        DeleteSettingsKey();
        std::string written[4];
        for (int i = 0; i < 4; ++i) {
            if (random() % 8 == 0)
                continue;  // missing
            std::string bytes(random() % 17, '\0');
            for (char& byte : bytes)
                byte = random() % 2 ? alphabet[random() % (sizeof alphabet - 1)] : static_cast<char>(random());
            bytes.push_back(static_cast<char>(random() % 2 ? 0 : 'z'));  // a NUL after the data, or not
            WriteSettingValue(names[i], types[random() % 6], bytes.data(),
                              static_cast<DWORD>(bytes.size() - 1));
        }
        BootstrapSettings();
        const int32_t loaded[] = {CharHeight, Speed, Quantity, OnlyNumbers};
        ASSERT_TRUE(LoadSettings()) << "round " << round;
        const int32_t reloaded[] = {CharHeight, Speed, Quantity, OnlyNumbers};
        for (int i = 0; i < 4; ++i) {
            ASSERT_EQ(loaded[i], reloaded[i]) << "round " << round << ", " << names[i];
            ASSERT_TRUE(IsSettingAccepted(static_cast<SettingField>(i), StoredSetting(static_cast<SettingField>(i))));
        }
    }
    DeleteSettingsKey();
}

namespace {

LRESULT CALLBACK RefuseWindows(int code, WPARAM wParam, LPARAM lParam)
{
    return code == HCBT_CREATEWND ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI FailingFetch(LPMSG, HWND, UINT, UINT)
{
    return -1;
}

}  // namespace

TEST(Soak, FailuresToMakeAWindowOrFetchAMessageEndWithStatusZero)
{
    HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseWindows, nullptr, GetCurrentThreadId());
    EXPECT_EQ(SaverMain(GetModuleHandleA(nullptr), "/s"), 0);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(RunMessageLoop(FailingFetch), 0);
}
