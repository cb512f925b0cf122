// The full-screen saver: how it looks, moves and ends; a start beside it.
#include <map>
#include <numeric>
#include <tuple>

#include "saver_host.h"

// While one lives, the screen has this resolution; the registry's comes back after.
struct ScreenMode {
    ScreenMode(DWORD width, DWORD height)
    {
        DEVMODEA mode = {};
        mode.dmSize = sizeof mode;
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        mode.dmPelsWidth = width;
        mode.dmPelsHeight = height;
        Changed = ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
    }
    ~ScreenMode() { ChangeDisplaySettingsA(nullptr, 0); }
    LONG Changed;
};

TEST(FullScreen, CoversTheScreenAndEndsOnlyOnTheUsersInput)
{
    const RECT screen = ScreenArea();
    auto moveMouse = [=](int x, int y) {  // on the screen, in its pixels
        mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x * 65535 / (screen.right - 1),
                    y * 65535 / (screen.bottom - 1), 0, 0);
        PumpMessagesFor(100);
    };
    auto keys = [](BYTE key, DWORD first) {  // a press (or a release), then a release
        keybd_event(key, 0, first, 0);
        keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    };
    HWND other = CreateWindowA("Static", "", WS_POPUP | WS_VISIBLE, 9, 9, 99, 99, 0, 0, 0, 0);
    // The last two are another program hiding or minimising it: unseen, it must not go on.
    // Another window activated is in front after: Windows would let the saver veto the change.
    const std::tuple<const char*, std::function<void(HWND)>, HWND> ends[] = {
        {"/s", [&](HWND) { keys('A', 0); }, nullptr}, {"/S", [&](HWND) { keys(VK_SHIFT, KEYEVENTF_KEYUP); }, nullptr},
        {"x", [](HWND) { mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP, 0, 0, 0, 0); }, nullptr},
        {"", [&](HWND) { moveMouse(300, 300); }, nullptr}, {"/s", [=](HWND) { SetForegroundWindow(other); }, other},
        {"/s", [](HWND window) { ShowWindow(window, SW_HIDE); }, nullptr},
        {"/s", [](HWND window) { ShowWindow(window, SW_MINIMIZE); }, nullptr},
    };
    StoreSettings({"5", "5", "10", "1"});  // digits stay inside their 19-pixel cells
    std::vector<int> firstCells;
    for (size_t ending = 0; ending < std::size(ends); ++ending) {
        const auto& [tail, end, front] = ends[ending];
        SCOPED_TRACE("ending " + std::to_string(ending));
        moveMouse(500, 400);  // where the saver first sees the mouse
        Process saver(tail);
        HWND window = saver.WaitForWindow(SaverClass, SaverTitle);
        ASSERT_TRUE(window && WaitUntil([] { return CaptureScreen().Box(TrailRgb).right; }, 3000));
        // Seeded by the clock: the last start rains in other 19-pixel cells than the first.
        const Image rain = CaptureScreen();
        const size_t columns = screen.right / 19 + 1;
        std::vector<int> cells(columns * (screen.bottom / 19 + 1));  // 1 where anything is drawn
        for (size_t i = 0; i < rain.Pixels.size(); ++i)
            cells[i / screen.right / 19 * columns + i % screen.right / 19] |= rain.Pixels[i] != 0;
        firstCells = ending == 0 ? cells : firstCells;
        const int alike = std::inner_product(cells.begin(), cells.end(), firstCells.begin(), 0);
        const int fewer = std::min(std::accumulate(cells.begin(), cells.end(), 0),
                                   std::accumulate(firstCells.begin(), firstCells.end(), 0));
        EXPECT_TRUE(ending + 1 < std::size(ends) || alike < fewer / 2) << alike << " of " << fewer;
        EXPECT_TRUE(CoversOnTop(window, screen));
        // What must not end it, tried once. Wine may report the pointer where it is,
        // (500,400), at any time: each posted move shares an axis with it.
        const std::function<void()> keeps[] = {
            [=] { PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(700, 400)); },
            [=] { PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(500, 400)); },
            [=] { PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(500, 100)); },
            [&] { keys(VK_MENU, 0); }, [&] { keys(VK_F10, 0); },
            [] { mouse_event(MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP, 0, 0, 0, 0); },
            [] { mouse_event(MOUSEEVENTF_MIDDLEDOWN | MOUSEEVENTF_MIDDLEUP, 0, 0, 0, 0); },
            [] { mouse_event(MOUSEEVENTF_WHEEL, 0, 0, WHEEL_DELTA, 0); },
        };
        for (size_t i = 0; ending == 0 && i < std::size(keeps); ++i) {
            keeps[i]();
            ASSERT_EQ(saver.WaitForExit(300), STILL_ACTIVE) << "ended by input " << i;
        }
        end(window);
        EXPECT_EQ(saver.WaitForExit(5000), 0u);
        if (front != nullptr) {
            EXPECT_EQ(GetForegroundWindow(), front) << "the change of active window did not complete";
        }
    }
    DestroyWindow(other);
}

// While it runs the screen grows, then shrinks: it covers each new screen and
// lays its 10 drops out over it, and the pointer Wine 10 then reports is no
// move. Each mode is set and put back after; a display lacking one skips.
TEST(FullScreen, FollowsChangesOfResolution)
{
    const RECT before = ScreenArea();
    StoreSettings({"5", "5", "10", "1"});  // digits stay inside their 19-pixel cells
    Process saver("/s");
    HWND window = saver.WaitForWindow(SaverClass, SaverTitle);
    ASSERT_TRUE(window && WaitUntil([] { return CaptureScreen().Box(TrailRgb).right; }, 3000)) << "no rain";
    PumpMessagesFor(2000);  // Wine 10 may leave heads of a saver changed at its very start (docs)
    for (auto [width, height] : {std::pair{1280, 1024}, {800, 600}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const ScreenMode mode(width, height);
        if (mode.Changed != DISP_CHANGE_SUCCESSFUL)
            GTEST_SKIP() << "this display has no mode of " << width << "x" << height;
        const RECT screen = {0, 0, width, height};
        size_t heads = 0;  // in the last picture: a moment may show leftovers
        bool beyond = false;  // a head outside the screen as it was
        WaitUntil([&] {
            const Image shot = CaptureScreen(screen);
            heads = HeadCells(shot, screen, 19).size();
            const RECT box = shot.Box(HeadRgb);
            beyond = beyond || box.right > before.right || box.bottom > before.bottom;
            return heads == 10 && (width <= before.right || beyond);
        }, 10000);
        EXPECT_EQ(heads, 10u);
        EXPECT_TRUE(width <= before.right || beyond) << "no head beyond the screen as it was";
        EXPECT_TRUE(CoversOnTop(window, screen));
        ASSERT_EQ(saver.WaitForExit(300), STILL_ACTIVE);
    }
}

// Another program pulls the window away whenever it is not where it wants it, for over a second.
// The saver takes the screen back at the next tick, then less and less often, up to 300 ms apart;
// no move ends it. Its drops fall on from where they were: at Speed 1 most heads are still in their
// columns. Once the other stops, or only lowers it, it covers the screen again, on top.
TEST(FullScreen, TakesTheScreenBackAtItsPaceWithItsDrops)
{
    StoreSettings({"1", "1", "20", "1"});  // cells of 15 pixels
    Process saver("/s");
    HWND window = saver.WaitForWindow(SaverClass, SaverTitle);
    ASSERT_NE(window, nullptr);
    const RECT screen = ScreenArea();
    std::set<std::pair<int, int>> before;  // once nearly every drop has moved
    WaitUntil([&] {
        before = HeadCells(CaptureScreen(), screen, 15);
        return before.size() >= 15;
    }, 3000);
    int pulls = 0;  // to (200,150), 400 x 300, for 1.5 s, and on to the fourth (a busy machine delays ticks)
    for (const ULONGLONG start = GetTickCount64(); GetTickCount64() < start + (pulls < 4 ? 10000 : 1500); Sleep(1)) {
        RECT at;
        if (GetWindowRect(window, &at) && at.left != 200)
            pulls += SetWindowPos(window, HWND_NOTOPMOST, 200, 150, 400, 300, SWP_NOACTIVATE);
    }
    EXPECT_GE(pulls, 4) << "in 10 s";
    EXPECT_LE(pulls, 10) << "in 1.5 s";
    EXPECT_TRUE(WaitUntil([=] { return CoversOnTop(window, screen); }, 3000));
    std::set<std::pair<int, int>> after;  // every head drawn again on the cleared screen
    WaitUntil([&] {
        after = HeadCells(CaptureScreen(), screen, 15);
        return after.size() >= before.size();
    }, 3000);
    int kept = 0;  // heads with a head in their column after
    for (const auto& head : before)
        kept += std::any_of(after.begin(), after.end(), [&](const auto& cell) { return cell.first == head.first; });
    EXPECT_GE(kept * 2, int(before.size())) << kept << " of " << before.size() << " heads kept their column";
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitUntil([=] { return CoversOnTop(window, screen); }, 3000)) << "lowered";
    EXPECT_EQ(saver.WaitForExit(0), STILL_ACTIVE);
}

// One drop of digits at Speed 1: every frame shows the head, a bold Times New
// Roman digit as tall as a cell, on the grid, and above it the trail digit;
// it moves a cell every 5 or 6 ticks of 50 ms. Ticks a busy machine delays
// are lost, never made up: no stretch of moves is faster than 4 cells a
// second, and some single move comes as soon as its ticks allow.
TEST(FullScreen, DrawsTheStoredSettingsScaledToTheScreen)
{
    const RECT screen = ScreenArea();
    for (auto [size, asked] : {std::pair{2, 96}, {10, 192}}) {
        const ScreenDpi scale(asked);
        SCOPED_TRACE("Size " + std::to_string(size) + " at " + std::to_string(scale.Dpi) + " DPI");
        const int cell = MulDiv(size + 14, scale.Dpi, 96);
        StoreSettings({std::to_string(size), "1", "1", "1"});
        Process saver("/s");
        ASSERT_NE(saver.WaitForWindow(SaverClass, SaverTitle), nullptr);
        HFONT font = CreateFontA(cell, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_OUTLINE_PRECIS, 0, 0, 0, "Times New Roman");
        std::map<COLORREF, std::vector<Image>> digits;  // drawn once: the pictures come fast
        for (COLORREF colour : {RGB(0, 255, 0), RGB(70, 115, 60)})
            for (char digit[] = "0"; digit[0] <= '9'; ++digit[0])
                digits[colour].push_back(Picture(cell, cell, [&](HDC dc) {
                    SelectObject(dc, font);
                    SetTextColor(dc, colour);
                    SetBkColor(dc, 0);
                    TextOutA(dc, 0, 0, digit, 1);
                }));
        DeleteObject(font);
        auto showsDigit = [&](const Image& shot, COLORREF colour, POINT at) {
            return std::any_of(digits[colour].begin(), digits[colour].end(), [&](const Image& glyph) {
                bool shows = true;  // as far as the screen reaches
                for (int y = 0; y < cell && at.y + y < screen.bottom; ++y)
                    for (int x = 0; x < cell && at.x + x < screen.right; ++x)
                        shows = shows && shot.At(at.x + x, at.y + y) == glyph.At(x, y);
                return shows;
            });
        };
        POINT head = {-1, -1};
        std::vector<ULONGLONG> moves;  // when the head was seen a cell further
        double fastest = 0;  // cells a second between two pictures with one move apart
        for (const ULONGLONG end = GetTickCount64() + 20000; moves.size() < 12 && GetTickCount64() < end;) {
            PumpMessagesFor(20);
            const ULONGLONG seen = GetTickCount64();
            const Image shot = CaptureScreen();
            const RECT heads = shot.Box(HeadRgb);
            const POINT last = head;
            ASSERT_TRUE(!IsRectEmpty(&heads) || moves.empty()) << "the head is gone";
            if (IsRectEmpty(&heads))
                continue;  // before the first move
            head = {heads.left / cell * cell, heads.top / cell * cell};
            ASSERT_TRUE(heads.right <= head.x + cell && heads.bottom <= head.y + cell) << "two heads";
            ASSERT_TRUE(showsDigit(shot, RGB(0, 255, 0), head)) << head.x << "," << head.y;
            ASSERT_TRUE(head.x != last.x || head.y != last.y + cell
                        || showsDigit(shot, RGB(70, 115, 60), last)) << last.x << "," << last.y;
            if (head.x == last.x && head.y == last.y)
                continue;
            // On a busy machine two moves may fall between two pictures.
            const int moved = head.x == last.x && head.y > last.y ? (head.y - last.y) / cell : 1;
            if (moved == 1 && !moves.empty())
                fastest = std::max(fastest, 1000.0 / std::max<ULONGLONG>(seen - moves.back(), 1));
            for (int i = 0; i < moved; ++i)
                moves.push_back(seen);
        }
        ASSERT_GE(moves.size(), 12u) << "moves in 20 s";
        const double cellsPerSecond = 1000.0 * (moves.size() - 2) / (moves.back() - moves[1]);
        EXPECT_LT(cellsPerSecond, 4.5);
        EXPECT_GT(fastest, 2.5) << "no move within 400 ms of the one before";
    }
    if (!WineSetsTheDpi())
        GTEST_SKIP() << OneScaleOnly;
}

// A top-level window with the saver's class and title is a running saver;
// one with only one of them is not (the password box has the saver's title).
TEST(SingleInstance, OnlyTheSaversClassAndTitleStopAStart)
{
    WNDCLASSA windowClass = {0, DefWindowProcA};
    windowClass.lpszClassName = SaverClass;
    RegisterClassA(&windowClass);
    HWND saver = CreateWindowA(SaverClass, SaverTitle, 0, 0, 0, 9, 9, 0, 0, 0, 0);
    for (const std::string& tail : Texts{"/s", "", "/c", "/a", "/p " + HandleText(saver)})
        EXPECT_EQ(Process(tail).WaitForExit(5000), 0u) << "tail \"" << tail << "\"";
    DestroyWindow(saver);
    HWND sameClass = CreateWindowA(SaverClass, "", 0, 0, 0, 9, 9, 0, 0, 0, 0);
    HWND sameTitle = CreateWindowA("Static", SaverTitle, 0, 0, 0, 9, 9, 0, 0, 0, 0);
    // -3 is HWND_MESSAGE, which names no window: the box then has no owner, and shows.
    const std::pair<std::string, HWND> boxes[] = {
        {"/a", nullptr}, {"/a " + HandleText(sameTitle), sameTitle}, {"/a -3", nullptr},
    };
    for (const auto& [tail, owner] : boxes) {
        Process password(tail);
        HWND box = password.WaitForWindow("#32770", SaverTitle);
        SCOPED_TRACE("tail \"" + tail + "\"");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(ItemText(box, 0xFFFF), "No password supported");
        EXPECT_EQ(GetWindow(box, GW_OWNER), owner);
        EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
        EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
        EXPECT_TRUE(WaitUntil([box] { return ShowsIcon(box, IDI_HAND); }, 3000));
        PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        EXPECT_EQ(password.WaitForExit(5000), 0u);
    }
    DestroyWindow(sameClass);
    DestroyWindow(sameTitle);
}
