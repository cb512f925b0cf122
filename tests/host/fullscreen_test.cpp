// The full-screen saver as the host starts it and the user ends it.
#include <gtest/gtest.h>

#include <functional>

#include "platform/window_identity.h"
#include "saver_host.h"

namespace {

void SendKey(WORD key, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

void SendMouse(DWORD flags, int x = 0, int y = 0, DWORD data = 0)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        input.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    input.mi.mouseData = data;
    SendInput(1, &input, sizeof input);
}

void MoveMouse(int x, int y)
{
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
}

// Starts the saver with a tail and waits until it rains on the whole screen.
HWND StartRain(SaverProcess& saver)
{
    HWND window = saver.WaitForWindow(SaverClassName, SaverTitle, 5000);
    if (window == nullptr)
        return nullptr;
    WaitUntil([] { return CountPixels(CaptureScreen(), HeadRgb) > 0; }, 3000);
    return window;
}

// Puts the mouse somewhere and lets the move arrive.
void PlaceMouse(int x, int y)
{
    MoveMouse(x, y);
    PumpMessagesFor(150);
}

}  // namespace

TEST(FullScreen, RainsOverTheWholeScreenAndEndsOnTheUsersInput)
{
    HWND other = CreateWindowExA(0, "STATIC", "another program", WS_POPUP | WS_VISIBLE,
                                 10, 10, 100, 100, nullptr, nullptr, nullptr, nullptr);
    const struct { const char* tail; const char* input; std::function<void()> end; } cases[] = {
        {"/s", "key press", [] { SendKey('A', 0); SendKey('A', KEYEVENTF_KEYUP); }},
        {"/S", "key release", [] { SendKey(VK_SHIFT, KEYEVENTF_KEYUP); }},
        {"x", "left click", [] { SendMouse(MOUSEEVENTF_LEFTDOWN); SendMouse(MOUSEEVENTF_LEFTUP); }},
        {"", "diagonal move", [] { MoveMouse(300, 300); }},
        {"/s", "activating another window", [other] { SetForegroundWindow(other); }},
    };
    DeleteSettingsKey();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("tail \"") + c.tail + "\", ended by " + c.input);
        PlaceMouse(500, 400);
        SaverProcess saver(c.tail);
        HWND window = StartRain(saver);
        ASSERT_NE(window, nullptr);
        RECT frame;
        GetWindowRect(window, &frame);
        EXPECT_EQ(frame.right - frame.left, GetSystemMetrics(SM_CXSCREEN));
        EXPECT_EQ(frame.bottom - frame.top, GetSystemMetrics(SM_CYSCREEN));
        EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_EQ(GetForegroundWindow(), window);

        // Heads in bright green, trails in dim green, and the picture moves.
        const ScreenImage first = CaptureScreen();
        EXPECT_GT(CountPixels(first, HeadRgb), 0u);
        EXPECT_TRUE(WaitUntil([] { return CountPixels(CaptureScreen(), TrailRgb) > 0; }, 2000));
        EXPECT_TRUE(WaitUntil([&] { return CaptureScreen().Pixels != first.Pixels; }, 2000));

        PlaceMouse(500, 400);
        c.end();
        EXPECT_EQ(saver.WaitForExit(5000), 0u);
    }
    DestroyWindow(other);
}

TEST(FullScreen, KeepsRunningOnSystemKeysOtherButtonsAndOneAxisMoves)
{
    PlaceMouse(500, 400);  // where the saver will first see the mouse
    SaverProcess saver("/s");
    HWND window = StartRain(saver);
    ASSERT_NE(window, nullptr);
    // The moves along one axis are posted: Wine's X11 driver sometimes
    // reports a pointer position of its own between two injected moves,
    // which the saver rightly takes for a move along both axes.
    const struct { const char* input; std::function<void()> send; } cases[] = {
        {"horizontal move", [window] { PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(700, 400)); }},
        {"vertical move", [window] { PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(700, 100)); }},
        {"Alt", [] { SendKey(VK_MENU, 0); SendKey(VK_MENU, KEYEVENTF_KEYUP); }},
        {"F10", [] { SendKey(VK_F10, 0); SendKey(VK_F10, KEYEVENTF_KEYUP); }},
        {"right click", [] { SendMouse(MOUSEEVENTF_RIGHTDOWN); SendMouse(MOUSEEVENTF_RIGHTUP); }},
        {"middle click", [] { SendMouse(MOUSEEVENTF_MIDDLEDOWN); SendMouse(MOUSEEVENTF_MIDDLEUP); }},
        {"wheel", [] { SendMouse(MOUSEEVENTF_WHEEL, 0, 0, WHEEL_DELTA); }},
    };
    for (const auto& c : cases) {
        c.send();
        EXPECT_EQ(saver.WaitForExit(400), static_cast<DWORD>(STILL_ACTIVE)) << c.input;
    }
    MoveMouse(300, 300);
    EXPECT_EQ(saver.WaitForExit(5000), 0u);
}

TEST(FullScreen, ASecondStartOfAnyKindEndsAtOnce)
{
    SaverProcess saver("/s");
    ASSERT_NE(StartRain(saver), nullptr);
    for (const char* tail : {"/s", "", "/c", "/a", "/p 65548"}) {
        SaverProcess second(tail);
        EXPECT_EQ(second.WaitForExit(5000), 0u) << "tail \"" << tail << "\"";
    }
    EXPECT_TRUE(saver.IsRunning());
}

TEST(Password, AnswersThatPasswordsAreNotSupported)
{
    HWND owner = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    for (std::string tail : {std::string("/a"), "/a " + std::to_string(reinterpret_cast<intptr_t>(owner))}) {
        SaverProcess saver(tail);
        HWND box = saver.WaitForWindow("#32770", "The Cadrel Screen Saver", 5000);
        ASSERT_NE(box, nullptr) << tail;
        char text[100] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        EXPECT_STREQ(text, "No password supported");
        EXPECT_EQ(GetWindow(box, GW_OWNER), tail == "/a" ? nullptr : owner) << tail;
        EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
        EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
        PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        EXPECT_EQ(saver.WaitForExit(5000), 0u) << tail;
    }
    DestroyWindow(owner);
}
