// The drop model, and one move drawn onto a real memory bitmap.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <vector>

#include "display/drop_drawing.h"
#include "platform/random.h"

namespace {

Drop MakeDrop(int32_t width, int32_t height, int32_t cell, int32_t ticks, bool digits = false)
{
    Drop drop;
    InitDrop(drop, width, height, HeadColour, TrailColour, digits, cell, ticks);
    return drop;
}

// The next n numbers the generator will give after a seed.
std::vector<int32_t> DrawsAfterSeed(uint32_t seed, int n)
{
    SeedRandom(seed);
    std::vector<int32_t> draws;
    while (n-- > 0)
        draws.push_back(NextRandom());
    SeedRandom(seed);
    return draws;
}

}  // namespace

TEST(Drop, StartsAtARandomCellDrawingGlyphColumnRowInThatOrder)
{
    const auto r = DrawsAfterSeed(77, 3);
    Drop drop = MakeDrop(1024, 768, 19, 6);
    EXPECT_EQ(drop.Glyph, r[0] % 255);
    EXPECT_EQ(drop.X, r[1] % 1024 - r[1] % 1024 % 19);
    EXPECT_EQ(drop.Y, r[2] % 768 - r[2] % 768 % 19);
    EXPECT_EQ(drop.TickCount, 0);
    EXPECT_EQ(drop.HeadColour, 0x00FF00u);
    EXPECT_EQ(drop.TrailColour, 0x3C7346u);

    // An empty extent draws no number for its coordinate.
    const auto s = DrawsAfterSeed(77, 2);
    drop = MakeDrop(0, 768, 19, 6);
    EXPECT_EQ(drop.X, 0);
    EXPECT_EQ(drop.Y, s[1] % 768 - s[1] % 768 % 19);
}

TEST(Drop, ColumnsRoundDownToTheGrid)
{
    const int32_t first = DrawsAfterSeed(1234, 1)[0];
    for (auto [drawn, column] : {std::pair{37, 19}, {38, 38}, {18, 0}, {0, 0}}) {
        Drop drop = MakeDrop(0, 0, 19, 1);
        drop.AreaWidth = first - drawn;  // so that the draw modulo the width is `drawn`
        SeedRandom(1234);
        PlaceDropColumn(drop);
        EXPECT_EQ(drop.X, column) << "drawn " << drawn;
    }
    // The last, partial column is used too.
    SeedRandom(5);
    std::set<int32_t> columns;
    for (int i = 0; i < 5000; ++i)
        columns.insert(MakeDrop(1024, 768, 19, 1).X);
    EXPECT_EQ(*columns.rbegin(), 1007);
    EXPECT_EQ(columns.size(), 54u);
}

TEST(Drop, MovesOnEveryNthTick)
{
    for (int32_t ticks : {1, 2, 5, 6}) {
        Drop drop = MakeDrop(100, 100, 19, ticks);
        for (int tick = 1; tick <= 3 * ticks; ++tick)
            EXPECT_EQ(TickDrop(drop), tick % ticks == 0) << ticks << " ticks, tick " << tick;
    }
}

TEST(Drop, AdvancesOneCellAndWrapsToANewColumnAtTheTop)
{
    Drop drop = MakeDrop(1024, 100, 20, 1);
    drop.X = 40;
    drop.Y = 60;
    const auto r = DrawsAfterSeed(9, 4);
    AdvanceDrop(drop);  // one draw: the glyph
    EXPECT_EQ(drop.Glyph, r[0] % 255);
    EXPECT_EQ(drop.X, 40);
    EXPECT_EQ(drop.Y, 80);
    AdvanceDrop(drop);  // 80 + 20 reaches the bottom: glyph, then column
    EXPECT_EQ(drop.Glyph, r[1] % 255);
    EXPECT_EQ(drop.Y, 0);
    EXPECT_EQ(drop.X, r[2] % 1024 - r[2] % 1024 % 20);
    EXPECT_EQ(NextRandom(), r[3]);  // and nothing else was drawn
}

TEST(Drop, GlyphsAreDigitsOrAnyCodeButTheLast)
{
    SeedRandom(3);
    Drop digits = MakeDrop(100, 100, 19, 1, true);
    Drop any = MakeDrop(100, 100, 19, 1, false);
    std::set<int> digitGlyphs, anyGlyphs;
    for (int i = 0; i < 20000; ++i) {
        AdvanceDrop(digits);
        AdvanceDrop(any);
        digitGlyphs.insert(digits.Glyph);
        anyGlyphs.insert(any.Glyph);
    }
    EXPECT_EQ(digitGlyphs.size(), 10u);
    EXPECT_EQ(*digitGlyphs.begin(), '0');
    EXPECT_EQ(*digitGlyphs.rbegin(), '9');
    EXPECT_EQ(anyGlyphs.size(), 255u);
    EXPECT_EQ(*anyGlyphs.rbegin(), 254);
}

TEST(Drop, BlankingTextFitsTheCellSize)
{
    for (int32_t cell = 15; cell <= 24; ++cell)
        EXPECT_STREQ(BlankingText(cell), cell >= 18 && cell <= 22 ? "MH  " : "M%  ") << cell;
}

// One move on a white 32-bit bitmap: the old head turns trail green, the new
// cell is blanked black and shows the head green.
TEST(Drop, DrawRecoloursTheOldHeadAndWritesTheNewOneBelow)
{
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 200, -200, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, 200, 200, WHITENESS);
    HFONT font = CreateGlyphFont(19);
    SelectObject(dc, font);

    SeedRandom(11);
    Drop drop = MakeDrop(200, 200, 19, 1, true);
    drop.X = 38;
    drop.Y = 19;
    UpdateDrop(drop, dc);
    GdiFlush();
    EXPECT_EQ(drop.Y, 38);

    auto countIn = [&](int left, int top, int right, int bottom, uint32_t bgr) {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                count += (static_cast<uint32_t*>(bits)[y * 200 + x] & 0xFFFFFF) == bgr;
        return count;
    };
    // DIB pixels are 0x00RRGGBB.
    EXPECT_GT(countIn(38, 19, 57, 38, 0x46733C), 0) << "old head in trail colour";
    EXPECT_EQ(countIn(38, 19, 57, 38, 0x00FF00), 0);
    EXPECT_GT(countIn(38, 38, 57, 57, 0x00FF00), 0) << "new head in head colour";
    EXPECT_EQ(countIn(38, 38, 57, 57, 0xFFFFFF), 0) << "new cell blanked";
    EXPECT_EQ(countIn(38, 57, 57, 76, 0xFFFFFF), 19 * 19) << "nothing below the new cell";

    DeleteDC(dc);
    DeleteObject(bitmap);
    DeleteObject(font);
}
