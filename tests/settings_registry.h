// The saver's settings key, by its documented names, for both test programs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

using Texts = std::vector<std::string>;

constexpr char SettingsKey[] = "Software\\Quillmarsh\\The Cadrel Screen Saver";
const char* const SettingNames[] = {"Size", "Speed", "Quantity", "OnlyNumbers"};

inline void DeleteSettingsKey() { RegDeleteKeyA(HKEY_CURRENT_USER, SettingsKey); }

// The registry keeps a NUL that follows a REG_SZ's given length in memory.
inline void WriteSetting(const char* name, DWORD type, const std::string& bytes, bool nul = true)
{
    const std::string buffer = bytes + (nul ? '\0' : 'X');
    RegSetKeyValueA(HKEY_CURRENT_USER, SettingsKey, name, type, buffer.data(), DWORD(bytes.size()));
}

// Size, Speed, Quantity and OnlyNumbers as text in an emptied key, or as
// the text stored up to the first NUL, "<missing>" where there is none.
inline void StoreSettings(const Texts& texts)
{
    DeleteSettingsKey();
    for (int i = 0; i < 4; ++i)
        WriteSetting(SettingNames[i], REG_SZ, texts[i]);
}

inline Texts StoredSettings()
{
    Texts texts;
    for (const char* name : SettingNames) {
        char text[64] = {};
        DWORD size = sizeof text - 1;
        texts.push_back(RegGetValueA(HKEY_CURRENT_USER, SettingsKey, name, RRF_RT_ANY | RRF_NOEXPAND,
                                     nullptr, text, &size) ? "<missing>" : text);
    }
    return texts;
}
