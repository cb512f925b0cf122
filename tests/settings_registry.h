// The saver's settings key, by its documented names, for both test programs.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

using Texts = std::vector<std::string>;

constexpr char SettingsKey[] = "Software\\Quillmarsh\\The Cadrel Screen Saver";
const char* const SettingNames[] = {"Size", "Speed", "Quantity", "OnlyNumbers"};

inline void DeleteSettingsKey() { RegDeleteKeyA(HKEY_CURRENT_USER, SettingsKey); }

// The user's own settings, kept aside while the tests run and put back
// after, so that a run on a Windows PC leaves the saver as it was. Left
// aside by a run that ended on the way, they are still the user's.
struct UsersSettings : testing::Environment {
    static constexpr char Aside[] = "Software\\Quillmarsh\\The Cadrel Screen Saver (kept by its tests)";
    void SetUp() override
    {
        if (!Copy(Aside, nullptr))
            Copy(SettingsKey, Aside);
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, SettingsKey);
        if (Copy(Aside, SettingsKey))
            RegDeleteTreeA(HKEY_CURRENT_USER, Aside);
    }
    // The key copied whole, when it exists (to null: only whether it does).
    static bool Copy(const char* from, const char* to)
    {
        HKEY source = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, from, 0, KEY_READ, &source) != ERROR_SUCCESS)
            return false;
        HKEY target = nullptr;
        if (to != nullptr && RegCreateKeyExA(HKEY_CURRENT_USER, to, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &target, nullptr) == ERROR_SUCCESS) {
            RegCopyTreeA(source, nullptr, target);
            RegCloseKey(target);
        }
        RegCloseKey(source);
        return true;
    }
};
inline testing::Environment* const KeptSettings = testing::AddGlobalTestEnvironment(new UsersSettings);

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
