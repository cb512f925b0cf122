// The four user settings, process-wide, and the rules that say which stored
// numbers they accept. Both the registry store and the options dialog go
// through these rules.
#pragma once

#include <cstdint>

extern int32_t CharHeight;  // glyph height and cell size in pixels, 15..24
extern int32_t Speed;       // 1 slowest .. 5 fastest
extern int32_t Quantity;    // number of drops, 1..100
extern bool OnlyNumbers;    // glyphs are the digits 0..9 only

// The user-visible Size is the glyph height less this.
constexpr int32_t SizeOffset = 14;

// The settings in the order they are stored, read and checked.
enum SettingField { SizeField, SpeedField, QuantityField, OnlyNumbersField, SettingFieldCount };

struct SettingRule {
    const char* Name;  // registry value name
    int32_t Lowest;    // accepted range of the stored number
    int32_t Highest;
};

extern const SettingRule SettingRules[SettingFieldCount];

bool IsSettingAccepted(SettingField field, int32_t number);

// The setting as the number it is stored as: Size for CharHeight, and
// 1 (true) or 2 (false) for OnlyNumbers.
int32_t StoredSetting(SettingField field);

// Sets the setting from its stored number; true when the number is in range,
// otherwise the setting keeps its value.
bool AcceptSetting(SettingField field, int32_t number);
