#include "settings_registry.h"

#include "settings/settings_store.h"

void DeleteSettingsKey()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, SettingsKeyPath);
}

void WriteSettingValue(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, SettingsKeyPath, &key) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void WriteSettingText(const char* name, const std::string& text)
{
    WriteSettingValue(name, REG_SZ, text.data(), static_cast<DWORD>(text.size()));
}

bool ReadSettingValue(const char* name, std::string& bytes, DWORD* type)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    DWORD valueType = 0;
    bool found = RegQueryValueExA(key, name, nullptr, &valueType, nullptr, &size) == ERROR_SUCCESS;
    if (found) {
        bytes.assign(size, '\0');
        found = RegQueryValueExA(key, name, nullptr, &valueType,
                                 reinterpret_cast<BYTE*>(&bytes[0]), &size) == ERROR_SUCCESS;
        bytes.resize(size);
    }
    RegCloseKey(key);
    if (type != nullptr)
        *type = valueType;
    return found;
}

std::string ReadSettingText(const char* name)
{
    std::string bytes;
    if (!ReadSettingValue(name, bytes))
        return "<missing>";
    return bytes.substr(0, bytes.find('\0'));
}

std::vector<std::string> StoredSettingTexts()
{
    std::vector<std::string> texts;
    for (const char* name : {"Size", "Speed", "Quantity", "OnlyNumbers"})
        texts.push_back(ReadSettingText(name));
    return texts;
}
