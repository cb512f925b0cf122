#include "settings/options_dialog.h"

#include "resources/resource.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

namespace {

struct NumberField {
    int ControlId;
    SettingField Field;
    const char* Complaint;  // shown when the field's text is not an accepted number
};

const NumberField NumberFields[] = {
    {IDC_SIZE_EDIT, SizeField, "Incorrect input! Value 'Size' must be in 1-10"},
    {IDC_SPEED_EDIT, SpeedField, "Incorrect input! Value 'Speed' must be in 1-5"},
    {IDC_QUANTITY_EDIT, QuantityField, "Incorrect input! Value 'Quantity' must be in 1-100"},
};

constexpr size_t NumberFieldCount = sizeof NumberFields / sizeof NumberFields[0];

}  // namespace

void FillOptionsDialog(HWND dialog)
{
    for (const NumberField& number : NumberFields)
        SetDlgItemInt(dialog, number.ControlId, StoredSetting(number.Field), FALSE);
    CheckDlgButton(dialog, IDC_ONLY_NUMBERS, OnlyNumbers ? BST_CHECKED : BST_UNCHECKED);
}

bool ReadOptionsDialog(HWND dialog)
{
    int32_t values[NumberFieldCount];
    for (size_t i = 0; i < NumberFieldCount; ++i) {
        BOOL translated = FALSE;
        const UINT value = GetDlgItemInt(dialog, NumberFields[i].ControlId, &translated, FALSE);
        // An unsigned value above the largest int32_t is out of every range.
        if (!translated || value > 0x7FFFFFFF
            || !IsSettingAccepted(NumberFields[i].Field, static_cast<int32_t>(value))) {
            MessageBoxA(dialog, NumberFields[i].Complaint, "Error!", MB_ICONEXCLAMATION | MB_OK);
            return false;
        }
        values[i] = static_cast<int32_t>(value);
    }

    for (size_t i = 0; i < NumberFieldCount; ++i)
        AcceptSetting(NumberFields[i].Field, values[i]);
    OnlyNumbers = IsDlgButtonChecked(dialog, IDC_ONLY_NUMBERS) == BST_CHECKED;
    return true;
}

INT_PTR CALLBACK OptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        FillOptionsDialog(dialog);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (ReadOptionsDialog(dialog)) {
                SaveSettings();
                EndDialog(dialog, 0);
            }
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
