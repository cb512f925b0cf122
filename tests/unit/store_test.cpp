// What a start makes of whatever was left in the registry key.
#include <gtest/gtest.h>

#include "settings/settings.h"
#include "settings/settings_store.h"
#include "settings_registry.h"

// A start repairs the key by the rule, whatever type the four values have.
TEST(SettingsStore, AStartRepairsTheKeyAndLeavesValidSettings)
{
    using Value = std::pair<DWORD, std::string>;  // type 0: missing
    auto text = [](const char* t) { return Value{REG_SZ, t}; };
    const struct { Value before[4]; Texts after; } cases[] = {
        {{}, {"5", "5", "50", "2"}},  // no key
        {{text("0"), text("3"), text("42"), text("1")}, {"5", "5", "50", "2"}},
        {{text("11"), text("3"), text("42"), text("1")}, {"5", "5", "50", "2"}},
        {{text("3"), text("9"), text("42"), text("1")}, {"3", "5", "50", "2"}},
        {{text("1"), text("1"), text("100"), text("0")}, {"1", "1", "100", "2"}},
        {{text("2"), text("2"), text("1"), text("3")}, {"2", "2", "1", "2"}},
        {{text("3"), text("3"), {}, text("1")}, {"5", "5", "50", "2"}},  // missing
        {{text("3"), text("00000000003"), text("7"), text("1")}, {"5", "5", "50", "2"}},
        {{text("0000000010"), text("3"), text("7"), text("1")}, {"0000000010", "3", "7", "1"}},
        {{text("3"), text("3"), text("abc"), text("1")}, {"3", "3", "50", "2"}},
        {{{REG_BINARY, "9"}, {REG_MULTI_SZ, std::string("4\0\0", 3)},
          {REG_EXPAND_SZ, std::string("6\0" "9", 3)}, {REG_DWORD, std::string("\1\0\0\0", 4)}},
         {"9", "4", "6", "2"}},  // a DWORD 1 is the byte 1, not the digit
    };
    auto defaults = [] {  // as a start finds them, and as the other tests expect them
        CharHeight = 19;
        Speed = 5;
        Quantity = 50;
        OnlyNumbers = false;
    };
    for (size_t run = 0; run < 2 * std::size(cases); ++run) {  // each with a NUL after it or not
        const auto& c = cases[run / 2];
        DeleteSettingsKey();
        for (int i = 0; i < 4; ++i)
            if (c.before[i].first != 0)
                WriteSetting(SettingNames[i], c.before[i].first, c.before[i].second, run % 2);
        defaults();
        BootstrapSettings();
        SCOPED_TRACE("case " + std::to_string(run / 2) + (run % 2 ? ", a NUL after" : ""));
        EXPECT_EQ(StoredSettings(), c.after);
        const std::vector<int32_t> settings = {CharHeight, Speed, Quantity, OnlyNumbers};
        EXPECT_EQ(settings, std::vector<int32_t>({std::stoi(c.after[0]) + SizeOffset, std::stoi(c.after[1]),
                                                  std::stoi(c.after[2]), c.after[3] == "1"}));
    }
    DeleteSettingsKey();
    defaults();
}
