// The options dialog, driven like a user: read what it shows, type, press
// its buttons, and look at the registry afterwards.
#include <gtest/gtest.h>

#include <cstring>

#include "resources/resource.h"
#include "saver_host.h"

namespace {

constexpr char DialogCaption[] = "Options - The Cadrel Screen Saver";

std::string ItemText(HWND dialog, int id)
{
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}


void PressKey(WORD key)
{
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = key;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof inputs[0]);
}

// Pressing a button through a posted click, since the modal message box it
// may open would block a sent one.
void Click(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

}  // namespace

TEST(OptionsDialog, IsLaidOutAsDesignedAndFitsItsTexts)
{
    DeleteSettingsKey();
    HWND owner = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    SaverProcess saver("/c:" + std::to_string(reinterpret_cast<intptr_t>(owner)));
    HWND dialog = saver.WaitForWindow("#32770", DialogCaption, 5000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    const LONG wanted = WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_CENTER | DS_3DLOOK | DS_SETFONT;
    EXPECT_EQ(style & wanted, wanted);
    EXPECT_EQ(style & (WS_POPUP | WS_CHILD | WS_SYSMENU), 0);
    const LONG exStyle = WS_EX_TOPMOST | WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME;
    EXPECT_EQ(GetWindowLongA(dialog, GWL_EXSTYLE) & exStyle, exStyle);

    // In tab order. Style: the control's own bits, group and tab stop.
    const struct { int id; const char* kind; const char* text; LONG style; RECT units; } controls[] = {
        {IDOK, "Button", "OK", BS_DEFPUSHBUTTON | BS_CENTER | WS_GROUP | WS_TABSTOP, {28, 68, 64, 82}},
        {IDCANCEL, "Button", "Cancel", BS_PUSHBUTTON | BS_CENTER | WS_GROUP | WS_TABSTOP, {72, 68, 108, 82}},
        {IDC_SIZE_EDIT, "Edit", "5", ES_NUMBER | WS_GROUP | WS_TABSTOP, {8, 32, 40, 44}},
        {IDC_SIZE_LABEL, "Static", "Size", SS_CENTER | WS_GROUP, {4, 20, 44, 28}},
        {IDC_SPEED_EDIT, "Edit", "5", ES_NUMBER | WS_GROUP | WS_TABSTOP, {52, 32, 84, 44}},
        {IDC_QUANTITY_EDIT, "Edit", "50", ES_NUMBER | WS_GROUP | WS_TABSTOP, {96, 32, 128, 44}},
        {IDC_SPEED_LABEL, "Static", "Speed", SS_CENTER | WS_GROUP, {52, 20, 84, 28}},
        {IDC_QUANTITY_LABEL, "Static", "Quantity", SS_CENTER | WS_GROUP, {92, 20, 132, 28}},
        {IDC_ONLY_NUMBERS, "Button", "Show only numbers", BS_AUTOCHECKBOX | WS_TABSTOP, {35, 48, 103, 60}},
        {IDC_CREDIT, "Static", nullptr, SS_LEFT, {15, 4, 123, 12}},
    };
    // Dialog units to pixels, with the base units the dialog's own client
    // size (137 x 85 units) gives; another process cannot ask for them.
    RECT client;
    GetClientRect(dialog, &client);
    const int baseX = MulDiv(client.right, 4, 137), baseY = MulDiv(client.bottom, 8, 85);
    // The dialog as it shows once it has finished painting: two looks alike.
    ScreenImage image, last;
    EXPECT_TRUE(WaitUntil([&] {
        last = image;
        PumpMessagesFor(100);
        image = CaptureScreen(dialog);
        return image.Pixels == last.Pixels;
    }, 3000));
    HWND control = GetWindow(dialog, GW_CHILD);
    for (const auto& c : controls) {
        SCOPED_TRACE("control " + std::to_string(c.id));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetDlgCtrlID(control), c.id);
        char kind[32] = {};
        GetClassNameA(control, kind, sizeof kind);
        EXPECT_STRCASEEQ(kind, c.kind);
        if (c.text != nullptr) {
            EXPECT_EQ(ItemText(dialog, c.id), c.text);
        }
        EXPECT_EQ(GetWindowLongA(control, GWL_STYLE) & (0xFFFF | WS_GROUP | WS_TABSTOP), c.style);
        const RECT expected = {MulDiv(c.units.left, baseX, 4), MulDiv(c.units.top, baseY, 8),
                               MulDiv(c.units.right, baseX, 4), MulDiv(c.units.bottom, baseY, 8)};
        RECT actual;
        GetWindowRect(control, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_TRUE(EqualRect(&expected, &actual)) << actual.left << "," << actual.top << ","
                                                   << actual.right << "," << actual.bottom;

        // A label or check box text cut short runs into the right edge.
        // (Eight units are one line of the dialog font by definition, so
        // descenders may rightly reach the bottom row.)
        if (strcmp(c.kind, "Edit") != 0 && c.id != IDOK && c.id != IDCANCEL) {
            int dark = 0;
            for (int y = actual.top; y < actual.bottom; ++y)
                dark += (image.At(actual.right - 1, y) & 0xFF) < 0x80;
            EXPECT_EQ(dark, 0) << "text pixels on the right edge";
        }
        control = GetWindow(control, GW_HWNDNEXT);
    }
    Click(dialog, IDCANCEL);
    EXPECT_EQ(saver.WaitForExit(5000), 0u);
    DestroyWindow(owner);
}

TEST(OptionsDialog, StoresOnlyValidInput)
{
    using Texts = std::vector<std::string>;
    const Texts defaults = {"5", "5", "50", "2"};
    DeleteSettingsKey();
    SaverProcess saver("/c");
    HWND dialog = saver.WaitForWindow("#32770", DialogCaption, 5000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    EXPECT_EQ((Texts{ItemText(dialog, IDC_SIZE_EDIT), ItemText(dialog, IDC_SPEED_EDIT),
                     ItemText(dialog, IDC_QUANTITY_EDIT)}), (Texts{"5", "5", "50"}));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_ONLY_NUMBERS), BST_UNCHECKED);

    const struct { const char* size; const char* speed; const char* quantity; const char* complaint; } bad[] = {
        {"0", "5", "50", "Incorrect input! Value 'Size' must be in 1-10"},
        {"11", "5", "50", "Incorrect input! Value 'Size' must be in 1-10"},
        {"", "5", "50", "Incorrect input! Value 'Size' must be in 1-10"},
        {"10", "6", "50", "Incorrect input! Value 'Speed' must be in 1-5"},
        {"10", "0", "x", "Incorrect input! Value 'Speed' must be in 1-5"},
        {"10", "5", "101", "Incorrect input! Value 'Quantity' must be in 1-100"},
        {"10", "5", "4294967297", "Incorrect input! Value 'Quantity' must be in 1-100"},
    };
    CheckDlgButton(dialog, IDC_ONLY_NUMBERS, BST_CHECKED);
    for (const auto& c : bad) {
        SCOPED_TRACE(std::string(c.size) + ", " + c.speed + ", " + c.quantity);
        SetDlgItemTextA(dialog, IDC_SIZE_EDIT, c.size);
        SetDlgItemTextA(dialog, IDC_SPEED_EDIT, c.speed);
        SetDlgItemTextA(dialog, IDC_QUANTITY_EDIT, c.quantity);
        Click(dialog, IDOK);
        HWND box = saver.WaitForWindow("#32770", "Error!", 5000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
        EXPECT_EQ(ItemText(box, 0xFFFF), c.complaint);
        Click(box, IDOK);
        EXPECT_TRUE(WaitUntil([box] { return !IsWindow(box); }, 5000));
        EXPECT_EQ(StoredSettingTexts(), defaults);
        EXPECT_TRUE(saver.IsRunning());
    }
    PressKey(VK_ESCAPE);  // Cancel after the errors: nothing stored
    EXPECT_EQ(saver.WaitForExit(5000), 0u);
    EXPECT_EQ(StoredSettingTexts(), defaults);

    // Enter presses OK: the dialog shows what was stored before and stores
    // the new values, the box as "1".
    SaverProcess again("/c");
    dialog = again.WaitForWindow("#32770", DialogCaption, 5000);
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextA(dialog, IDC_SIZE_EDIT, "10");
    SetDlgItemTextA(dialog, IDC_SPEED_EDIT, "1");
    SetDlgItemTextA(dialog, IDC_QUANTITY_EDIT, "100");
    CheckDlgButton(dialog, IDC_ONLY_NUMBERS, BST_CHECKED);
    PressKey(VK_RETURN);
    EXPECT_EQ(again.WaitForExit(5000), 0u);
    EXPECT_EQ(StoredSettingTexts(), (Texts{"10", "1", "100", "1"}));
}

// The dialog is not the running saver: a second start opens its own.
TEST(OptionsDialog, ASecondStartOpensItsOwnDialog)
{
    SaverProcess first("/c");
    HWND dialog = first.WaitForWindow("#32770", DialogCaption, 5000);
    ASSERT_NE(dialog, nullptr);
    SaverProcess second("/c");
    HWND other = second.WaitForWindow("#32770", DialogCaption, 5000);
    ASSERT_NE(other, nullptr);
    Click(other, IDCANCEL);
    Click(dialog, IDCANCEL);
    EXPECT_EQ(second.WaitForExit(5000), 0u);
    EXPECT_EQ(first.WaitForExit(5000), 0u);
}
