// Paint cost of the full-screen saver with 100 drops that all move on every
// paint: PaintSaver on a real full-screen window, and PaintSaver's sequence on
// a 32 bpp memory bitmap, each beside its floor, the very same GDI calls
// issued bare. Prints the client size, then for each round the mean
// microseconds per paint: "window PAINT FLOOR" and "bitmap PAINT FLOOR".
#include <windows.h>

#include <cstdio>
#include <vector>

#include "display/drop_drawing.h"
#include "display/saver_window.h"
#include "platform/random.h"
#include "settings/settings.h"

namespace {

constexpr int RoundCount = 21;
constexpr int PaintsPerRound = 100;

// One drop's move as DrawDrop makes it.
struct Move {
    int32_t OldX;
    int32_t OldY;
    int32_t X;
    int32_t Y;
    char OldGlyph;
    char Glyph;
    const char* Blanking;
};

LONGLONG Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Microseconds(LONGLONG ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1e6 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

// PaintSaver's font.
HFONT CreateGlyphFont()
{
    return CreateFontA(CharHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_OUTLINE_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, "Times New Roman");
}

// The moves of the next PaintsPerRound paints, found by stepping a copy of
// the drops from the given seed. The generator is seeded again afterwards,
// so the paints that follow make exactly these moves.
std::vector<Move> RecordMoves(uint32_t seed)
{
    std::vector<Drop> drops(Drops, Drops + Quantity);
    std::vector<Move> moves;
    SeedRandom(seed);
    for (int paint = 0; paint < PaintsPerRound; ++paint) {
        for (Drop& drop : drops) {
            Move move = {drop.X, drop.Y, 0, 0, static_cast<char>(drop.Glyph), 0, nullptr};
            TickDrop(drop);  // always due: ticks per move 1
            AdvanceDrop(drop);
            move.X = drop.X;
            move.Y = drop.Y;
            move.Glyph = static_cast<char>(drop.Glyph);
            move.Blanking = BlankingText(drop.CellSize);
            moves.push_back(move);
        }
    }
    SeedRandom(seed);
    return moves;
}

// One paint's colour and text calls, without the drops' own bookkeeping.
void DrawMoves(HDC dc, const Move* moves)
{
    for (int32_t i = 0; i < Quantity; ++i) {
        const Move& move = moves[i];
        SetBkColor(dc, BlackColour);
        SetTextColor(dc, TrailColour);
        TextOutA(dc, move.OldX, move.OldY, &move.OldGlyph, 1);
        SetTextColor(dc, BlackColour);
        TextOutA(dc, move.X, move.Y, move.Blanking, 4);
        SetTextColor(dc, HeadColour);
        TextOutA(dc, move.X, move.Y, &move.Glyph, 1);
    }
}

// Invalidated without erasing, as the saver's timer does.
double PaintWindow(HWND window)
{
    InvalidateRect(window, nullptr, FALSE);
    const LONGLONG start = Now();
    PaintSaver(window);
    return Microseconds(Now() - start);
}

// The same paint DC, but BeginPaint and EndPaint are not timed: only the
// calls the floor is made of.
double PaintWindowFloor(HWND window, const Move* moves)
{
    InvalidateRect(window, nullptr, FALSE);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    LONGLONG start = Now();
    HFONT font = CreateGlyphFont();
    SelectObject(dc, font);
    DrawMoves(dc, moves);
    LONGLONG spent = Now() - start;
    EndPaint(window, &paint);
    start = Now();
    DeleteObject(font);
    spent += Now() - start;
    return Microseconds(spent);
}

// PaintSaver's sequence on a memory DC, which PaintSaver cannot paint as it
// needs a window. The DC outlives the paint, so the font is deselected
// before it is deleted, here and in the floor alike.
double PaintBitmap(HDC dc)
{
    const LONGLONG start = Now();
    HFONT font = CreateGlyphFont();
    HGDIOBJ old = SelectObject(dc, font);
    for (int32_t i = 0; i < Quantity; ++i)
        UpdateDrop(Drops[i], dc);
    SelectObject(dc, old);
    DeleteObject(font);
    return Microseconds(Now() - start);
}

double PaintBitmapFloor(HDC dc, const Move* moves)
{
    const LONGLONG start = Now();
    HFONT font = CreateGlyphFont();
    HGDIOBJ old = SelectObject(dc, font);
    DrawMoves(dc, moves);
    SelectObject(dc, old);
    DeleteObject(font);
    return Microseconds(Now() - start);
}

// Between paints the saver's thread returns to its message loop, where Wine
// also copies what was drawn to the X server.
void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

// Mean microseconds per paint of one round of paints, and of one round of
// their floor, in the given order.
struct RoundResult {
    double Paint;
    double Floor;
};

template <typename Paint, typename Floor>
RoundResult TimeRound(uint32_t seed, bool floorFirst, Paint paint, Floor floor)
{
    const std::vector<Move> moves = RecordMoves(seed);
    RoundResult result = {0, 0};
    for (int pass = 0; pass < 2; ++pass) {
        const bool timingFloor = (pass == 0) == floorFirst;
        double total = 0;
        for (int i = 0; i < PaintsPerRound; ++i) {
            total += timingFloor ? floor(&moves[static_cast<size_t>(i) * Quantity]) : paint();
            PumpMessages();
        }
        (timingFloor ? result.Floor : result.Paint) = total / PaintsPerRound;
    }
    return result;
}

HWND CreateSaverWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SaverWndProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "CadrelPaintBench";
    if (!RegisterClassA(&windowClass))
        return nullptr;
    HWND window = CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "Paint bench",
                                  WS_POPUP | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    if (window != nullptr)
        ShowWindow(window, SW_SHOWMAXIMIZED);
    return window;
}

HBITMAP CreateBitmap32(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

}  // namespace

int main()
{
    Quantity = 100;
    Speed = 5;
    SeedRandom(1);
    HWND window = CreateSaverWindow();
    RECT client = {};
    if (window == nullptr || !GetClientRect(window, &client) || !CreateDrops(client.right, client.bottom)) {
        fprintf(stderr, "paint_bench: no saver window\n");
        return 1;
    }
    for (int32_t i = 0; i < Quantity; ++i)
        Drops[i].TicksPerMove = 1;
    UpdateWindow(window);
    PumpMessages();
    printf("size %ldx%ld\n", client.right, client.bottom);

    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap32(client.right, client.bottom);
    SelectObject(memory, bitmap);

    auto paintWindow = [&] { return PaintWindow(window); };
    auto windowFloor = [&](const Move* moves) { return PaintWindowFloor(window, moves); };
    auto paintBitmap = [&] { return PaintBitmap(memory); };
    auto bitmapFloor = [&](const Move* moves) { return PaintBitmapFloor(memory, moves); };
    // Round 0 warms up caches and is not reported; the order of paint and
    // floor alternates so that neither always runs on a warmer machine.
    for (int round = 0; round <= RoundCount; ++round) {
        const bool floorFirst = round % 2 != 0;
        const RoundResult onWindow = TimeRound(2 * round, floorFirst, paintWindow, windowFloor);
        const RoundResult onBitmap = TimeRound(2 * round + 1, floorFirst, paintBitmap, bitmapFloor);
        if (!IsWindow(window)) {
            fprintf(stderr, "paint_bench: the window closed (lost activation?)\n");
            return 1;
        }
        if (round > 0) {
            printf("window %.1f %.1f\n", onWindow.Paint, onWindow.Floor);
            printf("bitmap %.1f %.1f\n", onBitmap.Paint, onBitmap.Floor);
        }
    }

    DeleteDC(memory);
    DeleteObject(bitmap);
    DestroyWindow(window);
    return 0;
}
