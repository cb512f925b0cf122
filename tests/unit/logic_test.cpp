// The platform-free pieces: random numbers, number and command-line parsing,
// and the banner's path.
#include <gtest/gtest.h>

#include <string>

#include "display/banner.h"
#include "launch/command_line.h"
#include "platform/parse_number.h"
#include "platform/random.h"

TEST(Random, FollowsTheGeneratorAndIsNeverNegative)
{
    SeedRandom(1234);
    for (int32_t expected : {426964, 2064107413, 54848274, 1786492894, 701939977})
        EXPECT_EQ(NextRandom(), expected);
    SeedRandom(1234);  // seeding starts the sequence over
    EXPECT_EQ(NextRandom(), 426964);

    // The upper state bits are set often within a few thousand draws; the
    // sign bit never reaches a result.
    SeedRandom(0xFFFFFFFF);
    for (int i = 0; i < 10000; ++i)
        ASSERT_GE(NextRandom(), 0);
}

TEST(ParseNumber, ReadsLikeTheStoredSettingsAndHandlesNeedIt)
{
    const struct { const char* text; int32_t value; } cases[] = {
        {"42", 42}, {"  42", 42}, {"\t\n\v\f\r42", 42}, {"42abc", 42}, {"4 2", 4},
        {"+7", 7}, {"-7", -7}, {"--7", 0}, {"+-7", 0}, {"- 7", 0}, {"abc", 0}, {"", 0},
        {"\x1f" "5", 0}, {"\xa0" "5", 0},  // not white space
        {"4294967301", 5},                 // 2^32 + 5 wraps
        {"2147483648", INT32_MIN}, {"-2147483648", INT32_MIN}, {"99999999999999999999", 1661992959},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseNumber(c.text), c.value) << "text \"" << c.text << "\"";
}

TEST(CommandLine, TailSkipsTheProgramNameQuotedOrNot)
{
    const struct { const char* line; const char* tail; } cases[] = {
        {"Cadrel.scr /s", "/s"},
        {"  \tCadrel.scr \t /p 768", "/p 768"},
        {"\"C:\\Program Files\\Cadrel.scr\" /c:512", "/c:512"},
        {"\"C:\\My Savers\\Cadrel.scr\"/a", "/a"},  // the closing quote ends the name
        {"\"C:\\open quote.scr", ""},
        {"\"C:\\tab\tstops.scr\" /s", "stops.scr\" /s"},  // a quoted name ends at a tab too
        {"Cadrel.scr", ""}, {"", ""}, {"C:\\x\"y.scr /s", "/s"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(CommandTail(c.line), c.tail) << "command line \"" << c.line << "\"";
}

TEST(CommandLine, SwitchLetterAndHandle)
{
    const struct { const char* tail; RunMode mode; int32_t handle; } cases[] = {
        {"", RunMode::FullScreen, 0}, {"/", RunMode::FullScreen, 0}, {"/s", RunMode::FullScreen, 0},
        {"/S", RunMode::FullScreen, 0}, {"x", RunMode::FullScreen, 0}, {"/x", RunMode::FullScreen, 0},
        {"/c", RunMode::Configure, 0}, {"/C:512", RunMode::Configure, 512},
        {"/c 512", RunMode::Configure, 512}, {"/p 768", RunMode::Preview, 768},
        {"-P 768", RunMode::Preview, 768}, {"xp:768", RunMode::Preview, 768},
        {"/p768", RunMode::Preview, 68},  // the third character is skipped whatever it is
        {"/p", RunMode::Preview, 0}, {"/p ", RunMode::Preview, 0}, {"/p 0", RunMode::Preview, 0},
        {"/p abc", RunMode::Preview, 0}, {"/p  \t 99 1", RunMode::Preview, 99},
        {"/p -5", RunMode::Preview, -5}, {"/a", RunMode::Password, 0}, {"/A 33", RunMode::Password, 33},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunModeOf(c.tail), c.mode) << "tail \"" << c.tail << "\"";
        EXPECT_EQ(HandleNumber(c.tail), c.handle) << "tail \"" << c.tail << "\"";
    }
}

TEST(Banner, ScrollsLeftThreePixelsAndStartsOverPastMinus300)
{
    EXPECT_EQ(std::string(BannerText), "The Cadrel Screen Saver by Quillmarsh");
    int32_t x = 140;
    std::vector<int32_t> path;
    for (int tick = 0; tick < 2 * 147; ++tick)
        path.push_back(x = NextBannerX(x));
    EXPECT_EQ(path.front(), 137);
    EXPECT_EQ(path[145], -298);
    EXPECT_EQ(path[146], 140);  // -301 would be below -300
    EXPECT_EQ(path[147], 137);
    for (int32_t position : path)
        EXPECT_GT(position, -300);
}
