#include "settings/settings.h"

int32_t CharHeight = 19;  // Size 5
int32_t Speed = 5;
int32_t Quantity = 50;
bool OnlyNumbers = false;

const SettingRule SettingRules[SettingFieldCount] = {
    {"Size", 1, 10},
    {"Speed", 1, 5},
    {"Quantity", 1, 100},
    {"OnlyNumbers", 1, 2},  // 1 true, 2 false; 0 is not a value
};

bool IsSettingAccepted(SettingField field, int32_t number)
{
    return number >= SettingRules[field].Lowest && number <= SettingRules[field].Highest;
}

int32_t StoredSetting(SettingField field)
{
    switch (field) {
    case SizeField: return CharHeight - SizeOffset;
    case SpeedField: return Speed;
    case QuantityField: return Quantity;
    default: return OnlyNumbers ? 1 : 2;
    }
}

bool AcceptSetting(SettingField field, int32_t number)
{
    if (!IsSettingAccepted(field, number))
        return false;
    switch (field) {
    case SizeField: CharHeight = number + SizeOffset; break;
    case SpeedField: Speed = number; break;
    case QuantityField: Quantity = number; break;
    default: OnlyNumbers = number == 1; break;
    }
    return true;
}
