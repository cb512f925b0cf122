#include "settings/settings_store.h"

#include <windows.h>

#include "platform/parse_number.h"
#include "settings/settings.h"

namespace {

// A stored number is at most this many characters.
constexpr DWORD SettingTextLength = 10;

// Reads one value's text into text, which must hold SettingTextLength + 2
// bytes and ends up NUL-terminated; false when the value is missing or too
// long. The value's type is not looked at: whatever bytes are there are read
// as text up to the first NUL.
//
// What the registry hands back, on Wine and (by Wine's own registry tests)
// on Windows NT alike: RegSetValueExA with a REG_SZ length that leaves out
// the terminating NUL still stores the NUL when the byte after the given
// length is one, and RegQueryValueExA then reports that NUL in the length. A
// value written without a NUL after it comes back without one, and one set
// by another tool may hold embedded NULs or none at all. So a ten-character
// text can arrive as 11 bytes whose last is a NUL; the buffer has room for
// that, and for our own NUL after it so nothing depends on what was stored.
bool ReadSettingText(HKEY key, const char* name, char* text)
{
    DWORD length = SettingTextLength + 1;
    ZeroMemory(text, SettingTextLength + 2);
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &length)
        != ERROR_SUCCESS)
        return false;
    if (length > SettingTextLength && text[SettingTextLength] != '\0')
        return false;  // eleven characters or more
    return true;
}

}  // namespace

bool SettingsKeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool LoadSettings()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;

    char texts[SettingFieldCount][SettingTextLength + 2];
    bool loaded = true;
    for (int field = 0; loaded && field < SettingFieldCount; ++field)
        loaded = ReadSettingText(key, SettingRules[field].Name, texts[field]);
    for (int field = 0; loaded && field < SettingFieldCount; ++field)
        loaded = AcceptSetting(static_cast<SettingField>(field), ParseNumber(texts[field]));

    RegCloseKey(key);
    return loaded;
}

void SaveSettings()
{
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, SettingsKeyPath, &key) != ERROR_SUCCESS)
        return;
    for (int field = 0; field < SettingFieldCount; ++field) {
        char text[16];
        const int length = wsprintfA(text, "%d", StoredSetting(static_cast<SettingField>(field)));
        RegSetValueExA(key, SettingRules[field].Name, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(length));
    }
    RegCloseKey(key);
}

void BootstrapSettings()
{
    if (!SettingsKeyExists() || !LoadSettings())
        SaveSettings();
}
