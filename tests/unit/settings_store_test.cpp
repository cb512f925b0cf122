// The settings store against the real registry: what a start makes of
// whatever a user, a tweak tool or a broken installer left in the key.
#include <gtest/gtest.h>

#include <string>

#include "settings/settings.h"
#include "settings/settings_store.h"
#include "settings_registry.h"

namespace {

const char* const Names[] = {"Size", "Speed", "Quantity", "OnlyNumbers"};

struct Stored {
    DWORD Type;
    std::string Bytes;
};

// Raw bytes followed by a non-NUL byte that is not part of the value, so the
// registry has no NUL to pick up after it.
void WriteUnterminated(const char* name, DWORD type, const std::string& bytes)
{
    const std::string buffer = bytes + "X";
    WriteSettingValue(name, type, buffer.data(), static_cast<DWORD>(bytes.size()));
}

void ResetSettings()
{
    CharHeight = 19;
    Speed = 5;
    Quantity = 50;
    OnlyNumbers = false;
}

}  // namespace

TEST(SettingsStore, StartRepairsTheKeyByTheRule)
{
    const struct {
        const char* what;
        Stored before[4];      // type 0: the value is missing
        const char* after[4];  // the texts the start leaves behind
        int32_t charHeight, speed, quantity;
        bool onlyNumbers;
    } cases[] = {
        {"all valid", {{REG_SZ, "10"}, {REG_SZ, "3"}, {REG_SZ, "42"}, {REG_SZ, "1"}},
         {"10", "3", "42", "1"}, 24, 3, 42, true},
        {"bad Size", {{REG_SZ, "0"}, {REG_SZ, "3"}, {REG_SZ, "42"}, {REG_SZ, "1"}},
         {"5", "5", "50", "2"}, 19, 5, 50, false},
        {"Size 11", {{REG_SZ, "11"}, {REG_SZ, "3"}, {REG_SZ, "42"}, {REG_SZ, "1"}},
         {"5", "5", "50", "2"}, 19, 5, 50, false},
        {"bad Speed after a good Size", {{REG_SZ, "3"}, {REG_SZ, "9"}, {REG_SZ, "42"}, {REG_SZ, "1"}},
         {"3", "5", "50", "2"}, 17, 5, 50, false},
        {"bad OnlyNumbers", {{REG_SZ, "1"}, {REG_SZ, "1"}, {REG_SZ, "100"}, {REG_SZ, "0"}},
         {"1", "1", "100", "2"}, 15, 1, 100, false},
        {"OnlyNumbers 3", {{REG_SZ, "2"}, {REG_SZ, "2"}, {REG_SZ, "2"}, {REG_SZ, "3"}},
         {"2", "2", "2", "2"}, 16, 2, 2, false},
        {"a missing value", {{REG_SZ, "3"}, {REG_SZ, "3"}, {0, ""}, {REG_SZ, "1"}},
         {"5", "5", "50", "2"}, 19, 5, 50, false},
        {"an eleven-byte value", {{REG_SZ, "3"}, {REG_SZ, "00000000003"}, {REG_SZ, "7"}, {REG_SZ, "1"}},
         {"5", "5", "50", "2"}, 19, 5, 50, false},
        {"blank, letters and wrap", {{REG_SZ, "4294967301"}, {REG_SZ, " \t4"}, {REG_SZ, "42abc"}, {REG_SZ, "+1"}},
         {"4294967301", " \t4", "42abc", "+1"}, 19, 4, 42, true},
        {"letters only", {{REG_SZ, "3"}, {REG_SZ, "3"}, {REG_SZ, "abc"}, {REG_SZ, "1"}},
         {"3", "3", "50", "2"}, 17, 3, 50, false},
        {"ten characters", {{REG_SZ, "0000000010"}, {REG_SZ, "3"}, {REG_SZ, "7"}, {REG_SZ, "1"}},
         {"0000000010", "3", "7", "1"}, 24, 3, 7, true},
        {"empty", {{REG_SZ, ""}, {REG_SZ, "3"}, {REG_SZ, "7"}, {REG_SZ, "1"}},
         {"5", "5", "50", "2"}, 19, 5, 50, false},
        {"other types", {{REG_BINARY, "9"}, {REG_MULTI_SZ, std::string("4\0\0", 3)},
                         {REG_EXPAND_SZ, std::string("6\0" "9", 3)}, {REG_DWORD, std::string("\x01\0\0\0", 4)}},
         {"9", "4", "6", "2"}, 23, 4, 6, false},  // a DWORD 1 is the byte 1, not the digit
    };
    for (bool terminated : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (terminated ? ", stored with a NUL" : ", without a NUL"));
            DeleteSettingsKey();
            for (int i = 0; i < 4; ++i) {
                if (c.before[i].Type == 0)
                    continue;
                if (terminated)
                    WriteSettingValue(Names[i], c.before[i].Type, c.before[i].Bytes.c_str(),
                                      static_cast<DWORD>(c.before[i].Bytes.size()));
                else
                    WriteUnterminated(Names[i], c.before[i].Type, c.before[i].Bytes);
            }
            ResetSettings();
            BootstrapSettings();
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(ReadSettingText(Names[i]), c.after[i]) << Names[i];
            EXPECT_EQ(CharHeight, c.charHeight);
            EXPECT_EQ(Speed, c.speed);
            EXPECT_EQ(Quantity, c.quantity);
            EXPECT_EQ(OnlyNumbers, c.onlyNumbers);
        }
    }
}

TEST(SettingsStore, NoKeyGetsTheDefaultsAsShortText)
{
    DeleteSettingsKey();
    ResetSettings();
    Quantity = 100;
    ASSERT_FALSE(SettingsKeyExists());
    BootstrapSettings();
    ASSERT_TRUE(SettingsKeyExists());
    const char* expected[] = {"5", "5", "100", "2"};
    for (int i = 0; i < 4; ++i) {
        std::string bytes;
        DWORD type = 0;
        ASSERT_TRUE(ReadSettingValue(Names[i], bytes, &type)) << Names[i];
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        // Written with the length of the digits alone; the registry keeps the
        // NUL that followed them in our buffer, as Windows NT does.
        EXPECT_EQ(bytes, std::string(expected[i]) + '\0') << Names[i];
    }
    ResetSettings();
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(Quantity, 100);
    DeleteSettingsKey();
}
