// The platform-free pieces: generator, parsing, banner path and drop model;
// and one move of a drop drawn on a bitmap.
#include <set>

#include "display/banner.h"
#include "display/drop_drawing.h"
#include "host/saver_host.h"
#include "launch/command_line.h"
#include "platform/parse_number.h"
#include "platform/random.h"

TEST(Random, FollowsTheGeneratorAndIsNeverNegative)
{
    SeedRandom(1234);
    for (int32_t expected : {426964, 2064107413, 54848274, 1786492894, 701939977})
        EXPECT_EQ(NextRandom(), expected);
    SeedRandom(0xFFFFFFFF);  // the state's top bit is set in about half the draws
    for (int i = 0; i < 10000; ++i)
        ASSERT_GE(NextRandom(), 0);
}

TEST(ParseNumber, ReadsLikeTheStoredSettingsAndHandlesNeedIt)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"42", 42}, {"  42", 42}, {"\t\n\v\f\r42", 42}, {"42abc", 42}, {"4 2", 4}, {"+7", 7},
        {"-7", -7}, {"--7", 0}, {"+-7", 0}, {"- 7", 0}, {"abc", 0}, {"", 0}, {"\x1f" "5", 0},
        {"\xa0" "5", 0}, {"4294967301", 5}, {"2147483648", INT32_MIN}, {"-2147483648", INT32_MIN},
        {"99999999999999999999", 1661992959},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseNumber(text), value) << "text \"" << text << "\"";
}

TEST(CommandLine, TailSwitchLetterAndHandle)
{
    const std::pair<const char*, const char*> lines[] = {
        {"Cadrel.scr /s", "/s"}, {"  \tCadrel.scr \t /p 768", "/p 768"},
        {"\"C:\\Program Files\\Cadrel.scr\" /c:512", "/c:512"},
        {"\"C:\\My Savers\\Cadrel.scr\"/a", "/a"}, {"\"C:\\open quote.scr", ""},
        {"\"C:\\tab\tstops.scr\" /s", "stops.scr\" /s"}, {"Cadrel.scr", ""}, {"", ""},
        {"C:\\x\"y.scr /s", "/s"},
    };
    for (const auto& [line, tail] : lines)
        EXPECT_STREQ(CommandTail(line), tail) << "command line \"" << line << "\"";
    const RunMode full = RunMode::FullScreen, configure = RunMode::Configure,
                  password = RunMode::Password, preview = RunMode::Preview;
    const struct { const char* tail; RunMode mode; int32_t handle; } tails[] = {
        {"", full, 0}, {"/", full, 0}, {"/s", full, 0}, {"/S", full, 0}, {"x", full, 0},
        {"/x", full, 0}, {"/c", configure, 0}, {"/C:512", configure, 512},
        {"/c 512", configure, 512}, {"/a", password, 0}, {"/A 33", password, 33},
        {"/p 768", preview, 768}, {"-P 768", preview, 768}, {"xp:768", preview, 768},
        {"/p768", preview, 68}, {"/p", preview, 0}, {"/p ", preview, 0}, {"/p 0", preview, 0},
        {"/p abc", preview, 0}, {"/p  \t 99 1", preview, 99}, {"/p -5", preview, -5},
    };
    for (const auto& [tail, mode, handle] : tails)
        EXPECT_TRUE(RunModeOf(tail) == mode && HandleNumber(tail) == handle) << "\"" << tail << "\"";
}

TEST(Banner, StepsThreePixelsLeftAndStartsOverBeforeMinus300)
{
    int32_t x = 140;
    for (int step = 1; step <= 2 * 147; ++step)
        ASSERT_EQ(x = NextBannerX(x), step % 147 ? 140 - 3 * (step % 147) : 140) << "step " << step;
}

using Numbers = std::vector<int32_t>;

static Drop MakeDrop(int width, int height, int cell, int ticks, bool digits = false)
{
    Drop drop;
    InitDrop(drop, width, height, 0x00FF00, 0x3C7346, digits, cell, ticks);
    return drop;
}

// The next n numbers after a seed; the generator is seeded again afterwards.
static Numbers Draws(uint32_t seed, int n)
{
    Numbers draws;
    for (SeedRandom(seed); n > 0; --n)
        draws.push_back(NextRandom());
    SeedRandom(seed);
    return draws;
}

// A drop starts at a random cell of the grid, moves on every nth tick one
// cell down with a new glyph, and at the bottom starts a new column.
TEST(Drop, StartsMovesAndWrapsOnTheGrid)
{
    Numbers r = Draws(77, 3);  // the glyph, the column, the row
    Drop drop = MakeDrop(1024, 768, 19, 6);
    EXPECT_EQ(Numbers({drop.Glyph, drop.X, drop.Y, drop.TickCount}),
              Numbers({r[0] % 255, r[1] % 1024 / 19 * 19, r[2] % 768 / 19 * 19, 0}));
    r = Draws(77, 2);  // an empty extent draws no number
    drop = MakeDrop(0, 768, 19, 6);
    EXPECT_EQ(Numbers({drop.X, drop.Y}), Numbers({0, r[1] % 768 / 19 * 19}));
    const int32_t first = Draws(1234, 1)[0];
    for (auto [drawn, column] : {std::pair{37, 19}, {38, 38}, {18, 0}, {1010, 1007}}) {
        drop.AreaWidth = first - drawn;  // so that the draw modulo the width is `drawn`
        SeedRandom(1234);
        PlaceDropColumn(drop);
        EXPECT_EQ(drop.X, column) << "drawn " << drawn;
    }
    for (int32_t ticks : {1, 2, 5, 6}) {
        drop = MakeDrop(100, 100, 19, ticks);
        for (int tick = 1; tick <= 3 * ticks; ++tick)
            EXPECT_EQ(TickDrop(drop), tick % ticks == 0) << ticks << " ticks, tick " << tick;
    }
    drop = MakeDrop(1024, 100, 20, 1);
    drop.X = 40;
    drop.Y = 60;
    r = Draws(9, 4);
    AdvanceDrop(drop);  // draws the glyph only
    EXPECT_EQ(Numbers({drop.Glyph, drop.X, drop.Y}), Numbers({r[0] % 255, 40, 80}));
    AdvanceDrop(drop);  // reaches the bottom: the glyph, then the column
    EXPECT_EQ(Numbers({drop.Glyph, drop.X, drop.Y}), Numbers({r[1] % 255, r[2] % 1024 / 20 * 20, 0}));
    EXPECT_EQ(NextRandom(), r[3]);
    // Glyphs are the ten digits, or any code but 255.
    Drop digits = MakeDrop(100, 100, 19, 1, true);
    std::set<int> digitGlyphs, anyGlyphs;
    for (int i = 0; i < 20000; ++i) {
        digitGlyphs.insert(digits.Glyph);
        anyGlyphs.insert(drop.Glyph);
        AdvanceDrop(digits);
        AdvanceDrop(drop);
    }
    EXPECT_EQ(digitGlyphs, (std::set<int>{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}));
    EXPECT_TRUE(anyGlyphs.size() == 255 && *anyGlyphs.rbegin() == 254) << anyGlyphs.size();
    // "MH" blanks a cell at the middle glyph heights, "M%" at the others.
    for (auto [height, text] : {std::pair{15, "M%  "}, {17, "M%  "}, {18, "MH  "}, {22, "MH  "},
                                {23, "M%  "}, {24, "M%  "}})
        EXPECT_STREQ(BlankingText(height), text) << "glyph height " << height;
}

// One move on white: the old head turns trail green; the new cell and what lies to
// its right are blacked out as wide as the blanking text; the new head shows there.
TEST(Drop, DrawingAMoveRecoloursBlanksAndWritesTheHead)
{
    Drop drop = MakeDrop(200, 200, 19, 1, true);
    drop.X = 38;
    drop.Y = 19;
    HFONT font = CreateGlyphFont(19);
    SIZE box;
    const Image image = Picture(200, 200, [&](HDC dc) {
        PatBlt(dc, 0, 0, 200, 200, WHITENESS);
        SelectObject(dc, font);
        GetTextExtentPoint32A(dc, "MH  ", 4, &box);
        UpdateDrop(drop, dc, "MH  ");
    });
    DeleteObject(font);
    const RECT black = image.Box(0), blanked = {38, 19, 38 + box.cx, 38 + box.cy},
               trail = image.Box(0x46733C), head = image.Box(0x00FF00);
    EXPECT_TRUE(EqualRect(&black, &blanked)) << black.right << "," << black.bottom;
    EXPECT_TRUE(trail.left >= 38 && trail.top >= 19 && trail.right <= 57 && trail.bottom <= 38
                && trail.right > 38) << "the old head";
    EXPECT_TRUE(head.left >= 38 && head.top >= 38 && head.right <= 57 && head.bottom <= 57
                && head.right > 38) << "the new head";
}
