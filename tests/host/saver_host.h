// What every end-to-end test needs to play the screen-saver host: start the
// built Cadrel.scr with a command tail, find its windows, read the screen,
// and look at or prepare the settings in the registry.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings_registry.h"

// A running Cadrel.scr. The destructor ends the process if it is still
// running, so a failed test never leaves a saver behind to trip the
// single-instance check of the next one.
class SaverProcess {
public:
    // Starts Cadrel.scr from this program's folder with the command line
    // "<quoted path> <tail>", as the host does. With an empty tail the
    // command line is the quoted path alone.
    explicit SaverProcess(const std::string& tail);
    ~SaverProcess();
    SaverProcess(const SaverProcess&) = delete;
    SaverProcess& operator=(const SaverProcess&) = delete;

    bool Started() const { return process_ != nullptr; }
    DWORD Id() const { return id_; }

    // Waits up to timeoutMs for the process to end; its exit status, or
    // STILL_ACTIVE (259) when it is still running.
    DWORD WaitForExit(DWORD timeoutMs);
    bool IsRunning() { return WaitForExit(0) == STILL_ACTIVE; }

    // The first visible top-level window of this process with the class
    // (nullptr: any) and title (nullptr: any), waiting up to timeoutMs.
    HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs);

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// The full path of the Cadrel.scr beside this test program.
std::string SaverPath();

// Waits up to timeoutMs for a condition, polling every 20 ms while pumping
// this thread's messages (so windows of the test host stay responsive).
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs);

// Lets this thread's windows handle their messages for about ms.
void PumpMessagesFor(DWORD ms);

// The screen as 0x00RRGGBB pixels, row by row from the top.
struct ScreenImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels;
    uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

// Reads the whole screen (the Wine desktop) or, with a window, that
// window's client area as it shows on the screen.
ScreenImage CaptureScreen(HWND window = nullptr);

constexpr uint32_t HeadRgb = 0x00FF00;   // (0, 255, 0)
constexpr uint32_t TrailRgb = 0x46733C;  // (70, 115, 60)

size_t CountPixels(const ScreenImage& image, uint32_t rgb);

// The smallest rectangle around every pixel of one colour; empty (right
// not above left) when there is none.
RECT BoundingBox(const ScreenImage& image, uint32_t rgb);

// --- template definition

template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        PumpMessagesFor(20);
    }
}
