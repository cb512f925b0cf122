// Start-up time: starts a program, reads the screen back until a pixel of the
// saver's head colour (0, 255, 0) shows, and ends the program again. Prints
// "start-ms N", the milliseconds from CreateProcessA to that frame, for each
// start, then "poll-ms N", how long one look at the screen takes (the
// resolution of the figures).
//
//   first_frame.exe COUNT PROGRAM [ARGUMENTS...]
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr uint32_t HeadRgb = 0x00FF00;
constexpr DWORD TimeoutMs = 15000;

// The screen, read back into one 32 bpp DIB section that every look reuses.
struct Screen {
    HDC Display;
    HDC Memory;
    HBITMAP Bitmap;
    const uint32_t* Pixels;
    int Width;
    int Height;
};

Screen OpenScreen()
{
    Screen screen = {};
    screen.Width = GetSystemMetrics(SM_CXSCREEN);
    screen.Height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = screen.Width;
    info.bmiHeader.biHeight = -screen.Height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    screen.Display = GetDC(nullptr);
    screen.Memory = CreateCompatibleDC(screen.Display);
    screen.Bitmap = CreateDIBSection(screen.Display, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    screen.Pixels = static_cast<const uint32_t*>(bits);
    SelectObject(screen.Memory, screen.Bitmap);
    return screen;
}

void CloseScreen(Screen& screen)
{
    DeleteDC(screen.Memory);
    DeleteObject(screen.Bitmap);
    ReleaseDC(nullptr, screen.Display);
}

bool ShowsHeadColour(const Screen& screen)
{
    BitBlt(screen.Memory, 0, 0, screen.Width, screen.Height, screen.Display, 0, 0, SRCCOPY);
    GdiFlush();
    const size_t count = static_cast<size_t>(screen.Width) * screen.Height;
    for (size_t i = 0; i < count; ++i) {
        if ((screen.Pixels[i] & 0x00FFFFFF) == HeadRgb)
            return true;
    }
    return false;
}

LONGLONG Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Milliseconds(LONGLONG ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

// Polls until the screen does or does not show the head colour; false on
// timeout.
bool WaitForHeadColour(const Screen& screen, bool shown, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (ShowsHeadColour(screen) != shown) {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(1);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: first_frame COUNT PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    const int count = atoi(argv[1]);
    std::string commandLine = std::string("\"") + argv[2] + "\"";
    for (int i = 3; i < argc; ++i)
        commandLine += std::string(" ") + argv[i];

    Screen screen = OpenScreen();
    if (!WaitForHeadColour(screen, false, TimeoutMs)) {
        fprintf(stderr, "first_frame: the head colour is on the screen before any start\n");
        return 1;
    }
    int status = 0;
    for (int i = 0; i < count && status == 0; ++i) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        const LONGLONG start = Now();
        if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process)) {
            fprintf(stderr, "first_frame: cannot start %s\n", commandLine.c_str());
            return 1;
        }
        if (WaitForHeadColour(screen, true, TimeoutMs)) {
            printf("start-ms %.1f\n", Milliseconds(Now() - start));
        } else {
            fprintf(stderr, "first_frame: no frame within %lu ms\n", TimeoutMs);
            status = 1;
        }
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, TimeoutMs);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        // The next start must not see this one's pixels.
        if (!WaitForHeadColour(screen, false, TimeoutMs))
            status = 1;
    }

    const LONGLONG start = Now();
    constexpr int Looks = 10;
    for (int i = 0; i < Looks; ++i)
        ShowsHeadColour(screen);
    printf("poll-ms %.1f\n", Milliseconds(Now() - start) / Looks);
    CloseScreen(screen);
    return status;
}
