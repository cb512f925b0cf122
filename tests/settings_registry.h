// The saver's settings key as the tests see it: cleared, filled with any
// bytes of any type, and read back raw.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

void DeleteSettingsKey();
// Stores raw bytes of any type; creates the key when needed.
void WriteSettingValue(const char* name, DWORD type, const void* data, DWORD size);
void WriteSettingText(const char* name, const std::string& text);  // REG_SZ
// The stored bytes of a value, or false when it is missing.
bool ReadSettingValue(const char* name, std::string& bytes, DWORD* type = nullptr);
// The stored text up to its first NUL; "<missing>" when the value is missing.
std::string ReadSettingText(const char* name);
// Size, Speed, Quantity and OnlyNumbers as ReadSettingText gives them.
std::vector<std::string> StoredSettingTexts();
