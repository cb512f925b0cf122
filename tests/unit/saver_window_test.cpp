// The full-screen window procedure on a real window of this process.
#include <gtest/gtest.h>

#include <windows.h>

#include "display/saver_window.h"
#include "settings/settings.h"

namespace {

// A full-screen window as the saver makes one, with its drops; the quit
// message its destruction posts is taken off the queue again.
class SaverWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = SaverWndProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = "SaverWindowTest";
        RegisterClassExA(&windowClass);
        FirstMouseMove = true;
        window = CreateWindowExA(WS_EX_TOPMOST, "SaverWindowTest", "", WS_POPUP | WS_VISIBLE,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        RECT client;
        GetClientRect(window, &client);
        ASSERT_TRUE(CreateDrops(client.right, client.bottom));
    }

    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message == WM_QUIT)
                quitCode = static_cast<int>(message.wParam);
    }

    HWND window = nullptr;
    int quitCode = -1;
};

// The cursor's display count, left as it was.
int CursorCount()
{
    ShowCursor(TRUE);
    return ShowCursor(FALSE);
}

}  // namespace

TEST_F(SaverWindowTest, EndsOnKeysLeftClickAndDeactivationOnly)
{
    const struct { UINT message; WPARAM wParam; bool ends; } cases[] = {
        {WM_KEYDOWN, 'A', true}, {WM_KEYUP, VK_SHIFT, true}, {WM_LBUTTONDOWN, MK_LBUTTON, true},
        {WM_NCACTIVATE, FALSE, true}, {WM_NCACTIVATE, TRUE, false},
        {WM_SYSKEYDOWN, VK_MENU, false}, {WM_SYSKEYUP, VK_MENU, false},
        {WM_SYSKEYDOWN, VK_F10, false}, {WM_RBUTTONDOWN, MK_RBUTTON, false},
        {WM_RBUTTONUP, 0, false}, {WM_MBUTTONDOWN, MK_MBUTTON, false},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), false},
    };
    for (const auto& c : cases) {
        TearDown();
        SetUp();
        quitCode = -1;
        SendMessageA(window, c.message, c.wParam, 0);
        EXPECT_EQ(!IsWindow(window), c.ends) << "message 0x" << std::hex << c.message;
        if (c.ends) {
            EXPECT_EQ(Drops, nullptr) << "drops released";
            TearDown();
            EXPECT_EQ(quitCode, 0) << "quit posted";
        }
    }
}

TEST_F(SaverWindowTest, OnlyAMoveAlongBothAxesEndsIt)
{
    const struct { int x, y; bool ends; } moves[] = {
        {500, 400, false},  // the first position is only recorded
        {520, 400, false}, {520, 300, false}, {520, 300, false}, {0, 300, false},
        {65535, 1, true},   // coordinates are unsigned 16-bit
    };
    for (const auto& move : moves) {
        SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(move.x, move.y));
        EXPECT_EQ(!IsWindow(window), move.ends) << move.x << "," << move.y;
    }
}

TEST_F(SaverWindowTest, HidesTheCursorOnEverySetCursorAndShowsItOnceAtTheEnd)
{
    const int before = CursorCount();
    for (int i = 0; i < 3; ++i)
        SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), HTCLIENT);
    EXPECT_EQ(CursorCount(), before - 3);
    DestroyWindow(window);
    EXPECT_EQ(CursorCount(), before - 2);
    ShowCursor(TRUE);
    ShowCursor(TRUE);
}

TEST_F(SaverWindowTest, EveryPaintCountsOneTickTimerOrNot)
{
    ValidateRect(window, nullptr);
    for (int i = 0; i < Quantity; ++i) {
        Drops[i].TicksPerMove = 6;
        Drops[i].TickCount = 0;
    }
    SendMessageA(window, WM_TIMER, 999, 0);  // any timer id
    RECT update;
    ASSERT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_EQ(update.right, GetSystemMetrics(SM_CXSCREEN));
    UpdateWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // not a tick
    for (int i = 0; i < Quantity; ++i)
        ASSERT_EQ(Drops[i].TickCount, 2) << "drop " << i;
}

TEST_F(SaverWindowTest, EachDropGetsOneOrTwoSpeedStepsOfJitter)
{
    for (int32_t speed : {1, 5}) {
        Speed = speed;
        Quantity = 100;
        free(Drops);
        ASSERT_TRUE(CreateDrops(1024, 768));
        int slow = 0;
        for (int i = 0; i < Quantity; ++i) {
            ASSERT_GE(Drops[i].TicksPerMove, 6 - speed);
            ASSERT_LE(Drops[i].TicksPerMove, 7 - speed);
            slow += Drops[i].TicksPerMove == 7 - speed;
        }
        EXPECT_GT(slow, 20);
        EXPECT_LT(slow, 80);
    }
    Speed = 5;
    Quantity = 50;
}
