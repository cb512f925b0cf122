// The platform-free pieces: generator, parsing, banner path, layout of the
// monitors and drop model; and one paint of the drops drawn on a bitmap.
#include <set>

#include "display/banner.h"
#include "display/drop_drawing.h"
#include "display/rain_layout.h"
#include "display/saver_window.h"
#include "display/take_back.h"
#include "host/saver_host.h"
#include "launch/command_line.h"
#include "platform/parse_number.h"
#include "platform/random.h"
#include "settings/settings.h"

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
    for (const auto& [tail, mode, handle] : tails)  // the mode as its number, then the handle
        EXPECT_EQ(std::pair(int(RunModeOf(tail)), HandleNumber(tail)), std::pair(int(mode), handle))
            << "\"" << tail << "\"";
}

TEST(Banner, StepsThreePixelsLeftAndStartsOverBeforeMinus300)
{
    int32_t x = 140;
    for (int step = 1; step <= 2 * 147; ++step)
        ASSERT_EQ(x = NextBannerX(x), step % 147 ? 140 - 3 * (step % 147) : 140) << "step " << step;
}

// The wait for a move, in ticks of 50 ms, after the last take-back waited so long.
TEST(TakeBack, AtTheNextTickUnlessFoughtOverThenTwiceAsLateUpTo300Ms)
{
    const struct { int32_t last; uint64_t since; int32_t ticks; } moves[] = {
        {1, 5000, 1}, {6, 1000, 1}, {1, 999, 2}, {2, 50, 4}, {4, 50, 6}, {6, 0, 6},
    };
    for (const auto& [last, since, ticks] : moves)
        EXPECT_EQ(TakeBackTicks(last, since), ticks) << last << " ticks, then " << since << " ms";
}

using Numbers = std::vector<int32_t>;

// Each monitor becomes an area where it lies in the window, in cells for its
// own scale; a monitor with no pixels in the window gets none.
TEST(RainLayout, AnAreaForEachMonitorAtItsPlaceAndScale)
{
    Numbers capped;  // more monitors than areas: as many as there can be
    for (int32_t i = 0; i < MaxRainAreas; ++i)
        capped.insert(capped.end(), {0, 0, 1, 1, 19});
    const struct { std::vector<Monitor> monitors; PixelBox client; Numbers areas; } desktops[] = {
        // A 200 % panel beside a 100 % monitor.
        {{{{0, 0, 2880, 1800}, 192}, {{2880, 0, 4800, 1080}, 96}}, {0, 0, 4800, 1800},
         {0, 0, 2880, 1800, 38, 2880, 0, 1920, 1080, 19}},
        // One at 150 % left of and above the primary: the desktop starts there.
        {{{{0, 0, 1920, 1080}, 96}, {{-1280, -1024, 0, 0}, 144}}, {-1280, -1024, 1920, 1080},
         {1280, 1024, 1920, 1080, 19, 0, 0, 1280, 1024, 29}},
        // None of zero size, upside down or outside; mirrored ones each get one.
        {{{{5, 5, 5, 900}, 96}, {{0, 0, 800, 600}, 96}, {{10, 600, 900, 10}, 96},
          {{800, 0, 1600, 600}, 96}, {{0, 0, 800, 600}, 120}}, {0, 0, 800, 600},
         {0, 0, 800, 600, 19, 0, 0, 800, 600, 24}},
        // Cut to the window; cells of a pixel at least, whatever DPI is reported.
        {{{{-100, 0, 700, 600}, 0}}, {0, 0, 800, 600}, {0, 0, 700, 600, 1}},
        {std::vector<Monitor>(MaxRainAreas + 1, {{0, 0, 1, 1}, 96}), {0, 0, 1, 1}, capped},
    };
    for (size_t i = 0; i < std::size(desktops); ++i) {
        const auto& desktop = desktops[i];
        RainArea areas[MaxRainAreas];
        const int32_t count = LayOutRain(desktop.monitors.data(), int32_t(desktop.monitors.size()),
                                         desktop.client, 19, areas);
        Numbers laidOut;
        for (int32_t a = 0; a < count; ++a)
            laidOut.insert(laidOut.end(), {areas[a].Left, areas[a].Top, areas[a].Width,
                                           areas[a].Height, areas[a].CellSize});
        EXPECT_EQ(laidOut, desktop.areas) << "desktop " << i;
    }
}

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
    r = Draws(5, 1);  // digits only: one of the ten
    EXPECT_EQ(MakeDrop(100, 100, 19, 1, true).Glyph, '0' + r[0] % 10);
    // "MH" blanks a cell at the middle glyph heights, "M%" at the others.
    for (auto [height, text] : {std::pair{17, "M%  "}, {18, "MH  "}, {22, "MH  "}, {23, "M%  "}})
        EXPECT_STREQ(BlankingText(height), text) << "glyph height " << height;
}

// One paint on white over two areas (the colours of a move are seen on the screen). In the first
// the new cell and what lies to its right are blacked out as wide as the blanking text. The second
// is drawn at its place in its own cell size, and its blanking box is cut at its right edge.
TEST(Drop, PaintingAMoveRecoloursBlanksAndWritesTheHeadInEachArea)
{
    CharHeight = 19;  // whose blanking text is "MH  "
    Quantity = 1;
    OnlyNumbers = true;
    const RainArea areas[] = {{0, 0, 120, 120, 19}, {130, 10, 50, 110, 38}};
    ASSERT_TRUE(CreateDrops(areas, 2));
    Drops[0].X = 38;
    Drops[0].Y = 19;
    Drops[1].X = 0;
    Drops[1].Y = 0;
    for (int i = 0; i < 2; ++i)
        Drops[i].TicksPerMove = 1;
    HFONT font = CreateGlyphFont(19);
    SIZE box;
    const Image image = Picture(200, 120, [&](HDC dc) {
        PatBlt(dc, 0, 0, 200, 120, WHITENESS);
        SelectObject(dc, font);
        GetTextExtentPoint32A(dc, "MH  ", 4, &box);
        DeleteObject(SelectObject(dc, PaintDrops(dc)));
    });
    DeleteObject(font);
    const RECT first = {0, 0, 120, 120};
    const RECT black = image.Box(0, first);
    const RECT blanked = {38, 19, 38 + box.cx, 38 + box.cy};
    EXPECT_TRUE(EqualRect(&black, &blanked)) << black.right << "," << black.bottom;
    const RECT second = image.Box(HeadRgb, {120, 0, 200, 120});
    EXPECT_GE(second.left, 130);
    EXPECT_GE(second.top, 48);
    EXPECT_LE(second.right, 168);
    EXPECT_LE(second.bottom, 86);
    EXPECT_GT(second.bottom - second.top, 19);
    const RECT past = image.Box(0, {180, 0, 200, 120});
    EXPECT_TRUE(IsRectEmpty(&past)) << "drawn past the second area";
    Quantity = 50;
    OnlyNumbers = false;
}
