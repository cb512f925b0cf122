// Paint cost of the full-screen saver with 100 drops for each monitor that
// all move on every paint: PaintSaver on a real full-screen window, and the
// drawing it is made of (PaintDrops) on a 32 bpp memory bitmap, each beside
// its floor, the very same GDI calls issued bare. Prints the client size and
// the number of drops, then for each round the median microseconds per
// paint: "window PAINT FLOOR FRAME" (FRAME: BeginPaint and EndPaint around
// the floor's calls) and "bitmap PAINT FLOOR".
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "display/drop_drawing.h"
#include "display/saver_window.h"
#include "launch/saver_main.h"
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

// The areas in the order PaintDrops paints them: those of one cell size
// together, after the first of them.
std::vector<int32_t> PaintOrder()
{
    std::vector<int32_t> order;
    for (int32_t first = 0; first < AreaCount; ++first) {
        if (FirstAreaOfCellSize(first) != first)
            continue;
        for (int32_t area = first; area < AreaCount; ++area) {
            if (FirstAreaOfCellSize(area) == first)
                order.push_back(area);
        }
    }
    return order;
}

// The moves of the next PaintsPerRound paints, in the order the paints make
// them, found by stepping a copy of the drops from the given seed. The
// generator is seeded again afterwards, so the paints that follow make
// exactly these moves.
std::vector<Move> RecordMoves(uint32_t seed)
{
    std::vector<Drop> drops(Drops, Drops + DropCount);
    std::vector<Move> moves;
    SeedRandom(seed);
    for (int paint = 0; paint < PaintsPerRound; ++paint) {
        for (int32_t area : PaintOrder()) {
            for (int32_t i = area * Quantity; i < (area + 1) * Quantity; ++i) {
                Drop& drop = drops[i];
                Move move = {drop.X, drop.Y, 0, 0, static_cast<char>(drop.Glyph), 0, nullptr};
                TickDrop(drop);  // always due: ticks per move 1
                AdvanceDrop(drop);
                move.X = drop.X;
                move.Y = drop.Y;
                move.Glyph = static_cast<char>(drop.Glyph);
                move.Blanking = BlankingText(CharHeight);
                moves.push_back(move);
            }
        }
    }
    SeedRandom(seed);
    return moves;
}

// One paint's font, clipping and text calls, without the drops' own
// bookkeeping. Returns the last font, still selected, as PaintDrops does.
HFONT DrawMoves(HDC dc, const Move* moves)
{
    HFONT font = nullptr;
    for (int32_t area : PaintOrder()) {
        if (FirstAreaOfCellSize(area) == area) {
            HFONT previous = font;
            font = CreateGlyphFont(Areas[area].CellSize);
            SelectObject(dc, font);
            if (previous != nullptr)
                DeleteObject(previous);
        }
        SelectClipRgn(dc, nullptr);
        SetViewportOrgEx(dc, Areas[area].Left, Areas[area].Top, nullptr);
        IntersectClipRect(dc, 0, 0, Areas[area].Width, Areas[area].Height);
        for (int32_t i = 0; i < Quantity; ++i) {
            const Move& move = *moves++;
            SetBkColor(dc, BlackColour);
            SetTextColor(dc, TrailColour);
            TextOutA(dc, move.OldX, move.OldY, &move.OldGlyph, 1);
            SetTextColor(dc, BlackColour);
            TextOutA(dc, move.X, move.Y, move.Blanking, 4);
            SetTextColor(dc, HeadColour);
            TextOutA(dc, move.X, move.Y, &move.Glyph, 1);
        }
    }
    return font;
}

// Invalidated without erasing, as the saver's timer does.
double PaintWindow(HWND window)
{
    InvalidateRect(window, nullptr, FALSE);
    const LONGLONG start = Now();
    PaintSaver(window);
    return Microseconds(Now() - start);
}

// The floor on the window: the same paint DC, but only the calls the floor
// is made of are timed; BeginPaint and EndPaint go to paintFrame, to show
// what PaintSaver spends beyond the floor.
double PaintWindowFloor(HWND window, const Move* moves, double& paintFrame)
{
    InvalidateRect(window, nullptr, FALSE);
    PAINTSTRUCT paint;
    LONGLONG start = Now();
    HDC dc = BeginPaint(window, &paint);
    LONGLONG frame = Now() - start;
    start = Now();
    HFONT font = DrawMoves(dc, moves);
    LONGLONG spent = Now() - start;
    start = Now();
    EndPaint(window, &paint);
    frame += Now() - start;
    start = Now();
    DeleteObject(font);
    spent += Now() - start;
    paintFrame = Microseconds(frame);
    return Microseconds(spent);
}

// PaintSaver's drawing on a memory DC, which PaintSaver cannot paint as it
// needs a window. The DC outlives the paint, so the font is deselected
// before it is deleted, here and in the floor alike.
double PaintBitmap(HDC dc)
{
    const LONGLONG start = Now();
    HGDIOBJ old = GetCurrentObject(dc, OBJ_FONT);
    HFONT font = PaintDrops(dc);
    SelectObject(dc, old);
    DeleteObject(font);
    return Microseconds(Now() - start);
}

double PaintBitmapFloor(HDC dc, const Move* moves, double& paintFrame)
{
    paintFrame = 0;
    const LONGLONG start = Now();
    HGDIOBJ old = GetCurrentObject(dc, OBJ_FONT);
    HFONT font = DrawMoves(dc, moves);
    SelectObject(dc, old);
    DeleteObject(font);
    return Microseconds(Now() - start);
}

// Between two paints the saver's thread is back in its message loop; so is
// this one, so that what Wine does there is not counted in the next paint.
void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Median microseconds of one round's paints and of their floors. Medians,
// as other programs share the machine and now and then take a paint's time
// slice.
struct RoundResult {
    double Paint;
    double Floor;
    double Frame;  // BeginPaint and EndPaint of the floor's paints
};

template <typename Paint, typename Floor>
RoundResult TimeRound(uint32_t seed, Paint paint, Floor floor)
{
    const std::vector<Move> moves = RecordMoves(seed);
    std::vector<double> paints, floors, frames;
    for (int i = 0; i < PaintsPerRound; ++i) {
        // Each paint right beside its floor, in turns first and second, so
        // both meet the same load and the same warm caches.
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (i % 2 == 0)) {
                double frame = 0;
                floors.push_back(floor(&moves[static_cast<size_t>(i) * DropCount], frame));
                frames.push_back(frame);
            } else {
                paints.push_back(paint());
            }
            PumpMessages();
        }
    }
    if (Drops == nullptr) {
        fprintf(stderr, "paint_bench: the saver window closed (lost activation?)\n");
        ExitProcess(1);
    }
    // The paints made the recorded moves, unless something else painted too.
    const Move* last = &moves[static_cast<size_t>(PaintsPerRound - 1) * DropCount];
    for (int32_t area : PaintOrder()) {
        for (int32_t i = area * Quantity; i < (area + 1) * Quantity; ++i) {
            const Move& move = *last++;
            if (Drops[i].X != move.X || Drops[i].Y != move.Y
                || static_cast<char>(Drops[i].Glyph) != move.Glyph) {
                fprintf(stderr, "paint_bench: the paints did not make the floor's moves\n");
                ExitProcess(1);
            }
        }
    }
    return {Median(paints), Median(floors), Median(frames)};
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
    return CreateFullScreenWindow(windowClass.hInstance, windowClass.lpszClassName);
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
    if (window == nullptr || !GetClientRect(window, &client) || !LayOutDrops(window)) {
        fprintf(stderr, "paint_bench: no saver window\n");
        return 1;
    }
    for (int32_t i = 0; i < DropCount; ++i)
        Drops[i].TicksPerMove = 1;
    UpdateWindow(window);
    PumpMessages();
    printf("size %ldx%ld\n", client.right, client.bottom);
    printf("drops %d\n", DropCount);

    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap32(client.right, client.bottom);
    SelectObject(memory, bitmap);

    auto paintWindow = [&] { return PaintWindow(window); };
    auto windowFloor = [&](const Move* moves, double& frame) {
        return PaintWindowFloor(window, moves, frame);
    };
    auto paintBitmap = [&] { return PaintBitmap(memory); };
    auto bitmapFloor = [&](const Move* moves, double& frame) {
        return PaintBitmapFloor(memory, moves, frame);
    };
    // Round 0 warms up caches and is not reported.
    for (int round = 0; round <= RoundCount; ++round) {
        const RoundResult onWindow = TimeRound(2 * round, paintWindow, windowFloor);
        const RoundResult onBitmap = TimeRound(2 * round + 1, paintBitmap, bitmapFloor);
        if (round > 0) {
            printf("window %.1f %.1f %.1f\n", onWindow.Paint, onWindow.Floor, onWindow.Frame);
            printf("bitmap %.1f %.1f\n", onBitmap.Paint, onBitmap.Floor);
        }
    }

    DeleteDC(memory);
    DeleteObject(bitmap);
    DestroyWindow(window);
    return 0;
}
