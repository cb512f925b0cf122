// The options dialog, read and driven like a user, and the registry after.
#include "saver_host.h"

constexpr char Caption[] = "Options - The Cadrel Screen Saver";

// The dialog base units of the dialog's font, "MS Sans Serif" of 10 points at
// the DPI, as the system derives them: the average width of the 52 Latin
// letters, and the font's height. Wine 8 realizes the face with a TrueType
// font that grows with the scale; Wine 10, like Windows, with a raster font
// whose sizes stop short of it.
static SIZE DialogBaseUnits(int dpi)
{
    HFONT font = CreateFontA(-MulDiv(10, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             0, 0, 0, 0, "MS Sans Serif");
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SIZE letters = {};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    DeleteDC(dc);
    DeleteObject(font);
    return {(letters.cx / 26 + 1) / 2, metrics.tmHeight};
}

// At three scales, laid out in units of its font, it shows what is stored or
// the defaults a start stores. The first refuses bad input with messages and
// stores nothing on Cancel; the others store what they hold on Enter.
TEST(OptionsDialog, ShowsItsLayoutAndTheSettingsAndStoresOnlyValidInput)
{
    // In tab order, with their text (the credit line's is ours to choose),
    // their style's own bits, group and tab stop, and their dialog units.
    const struct { int id; const char* text; LONG style; RECT units; } controls[] = {
        {1, "OK", BS_DEFPUSHBUTTON | BS_CENTER | WS_GROUP | WS_TABSTOP, {28, 68, 64, 82}},
        {2, "Cancel", BS_PUSHBUTTON | BS_CENTER | WS_GROUP | WS_TABSTOP, {72, 68, 108, 82}},
        {101, nullptr, ES_NUMBER | WS_GROUP | WS_TABSTOP, {8, 32, 40, 44}},
        {104, "Size", SS_CENTER | WS_GROUP, {4, 20, 44, 28}},
        {102, nullptr, ES_NUMBER | WS_GROUP | WS_TABSTOP, {52, 32, 84, 44}},
        {103, nullptr, ES_NUMBER | WS_GROUP | WS_TABSTOP, {96, 32, 128, 44}},
        {105, "Speed", SS_CENTER | WS_GROUP, {52, 20, 84, 28}},
        {106, "Quantity", SS_CENTER | WS_GROUP, {92, 20, 132, 28}},
        {107, "Show only numbers", BS_AUTOCHECKBOX | WS_TABSTOP, {35, 48, 103, 60}},
        {108, nullptr, SS_LEFT, {15, 4, 123, 12}},
    };
    const char *size = "'Size' must be in 1-10", *speed = "'Speed' must be in 1-5",
               *quantity = "'Quantity' must be in 1-100";
    const std::pair<Texts, std::string> bad[] = {
        {{"", "5", "50"}, size}, {{"10", "6", "50"}, speed}, {{"1", "0", "x"}, speed},
        {{"10", "5", "101"}, quantity}, {{"10", "5", "4294967297"}, quantity},
    };
    const struct { int dpi; Texts before, after; } runs[] = {
        {96, {}, {"7", "2", "9", "2"}},  // stored behind the dialog's back, other than what is typed
        {144, {}, {"10", "1", "100", "1"}},
        {192, {"3", "4", "7", "1"}, {"1", "5", "1", "2"}},
    };
    // Posted, since a message box it opens would block a sent one.
    auto click = [](HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); };
    HWND owner = CreateWindowA("Static", "", 0, 0, 0, 9, 9, 0, 0, 0, 0);
    for (const auto& [asked, before, after] : runs) {
        SCOPED_TRACE(std::to_string(asked) + " DPI asked");
        const bool refusing = asked == 96;
        if (before.empty())
            DeleteSettingsKey();
        else
            StoreSettings(before);
        const ScreenDpi scale(asked);
        Process saver(asked == 144 ? "/c -3" : "/c:" + HandleText(owner));  // -3: HWND_MESSAGE, no window
        HWND dialog = saver.WaitForWindow("#32770", Caption);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), asked == 144 ? nullptr : owner);
        const LONG style = WS_CAPTION | DS_MODALFRAME | DS_CENTER | DS_3DLOOK | DS_SETFONT;
        const LONG exStyle = WS_EX_TOPMOST | WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME;
        EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & (style | WS_POPUP | WS_CHILD | WS_SYSMENU), style);
        EXPECT_EQ(GetWindowLongA(dialog, GWL_EXSTYLE) & exStyle, exStyle);
        // 137 x 85 units, in those of its font at the screen's DPI.
        const SIZE base = DialogBaseUnits(scale.Dpi);
        const RECT client = ClientArea(dialog);
        EXPECT_EQ(client.right - client.left, MulDiv(137, base.cx, 4));
        EXPECT_EQ(client.bottom - client.top, MulDiv(85, base.cy, 8));
        HWND control = GetWindow(dialog, GW_CHILD);
        for (const auto& c : controls) {
            RECT at, units = {MulDiv(c.units.left, base.cx, 4), MulDiv(c.units.top, base.cy, 8),
                              MulDiv(c.units.right, base.cx, 4), MulDiv(c.units.bottom, base.cy, 8)};
            GetWindowRect(control, &at);
            OffsetRect(&at, -client.left, -client.top);
            const LONG own = GetWindowLongA(control, GWL_STYLE) & (0xFFFF | WS_GROUP | WS_TABSTOP);
            EXPECT_TRUE(GetDlgCtrlID(control) == c.id && (!c.text || ItemText(dialog, c.id) == c.text)
                        && EqualRect(&at, &units) && own == c.style)
                << "control " << c.id << ": " << GetDlgCtrlID(control) << " at " << at.left << ","
                << at.top << "," << at.right << "," << at.bottom;
            control = GetWindow(control, GW_HWNDNEXT);
        }

        const Texts shown = {ItemText(dialog, 101), ItemText(dialog, 102), ItemText(dialog, 103),
                             IsDlgButtonChecked(dialog, 107) ? "1" : "2"};
        EXPECT_EQ(shown, before.empty() ? Texts({"5", "5", "50", "2"}) : before);
        auto type = [dialog](const Texts& fields) {
            for (int i = 0; i < 3; ++i)
                SetDlgItemTextA(dialog, 101 + i, fields[i].c_str());
        };
        CheckDlgButton(dialog, 107, refusing || after[3] == "1");
        if (refusing)
            StoreSettings(after);
        for (size_t i = 0; refusing && i < std::size(bad); ++i) {
            SCOPED_TRACE("refusing input " + std::to_string(i));
            type(bad[i].first);
            click(dialog, IDOK);
            HWND box = saver.WaitForWindow("#32770", "Error!");
            EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
            EXPECT_EQ(ItemText(box, 0xFFFF), "Incorrect input! Value " + bad[i].second);
            EXPECT_TRUE(WaitUntil([box] { return ShowsIcon(box, IDI_EXCLAMATION); }, 3000));
            click(box, IDOK);
            EXPECT_TRUE(WaitUntil([box] { return !IsWindow(box); }, 5000));
            EXPECT_EQ(StoredSettings(), after);
        }
        type(refusing ? Texts{"3", "4", "60"} : after);
        const BYTE key = refusing ? VK_ESCAPE : VK_RETURN;  // Cancel, or the default button, OK
        keybd_event(key, 0, 0, 0);
        keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
        EXPECT_EQ(saver.WaitForExit(5000), 0u);
        EXPECT_EQ(StoredSettings(), after);
    }
    DestroyWindow(owner);
    if (!WineSetsTheDpi())
        GTEST_SKIP() << OneScaleOnly;
}
