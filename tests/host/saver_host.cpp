#include "saver_host.h"

#include <algorithm>
#include <cstring>

std::string SaverPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = strrchr(path, '\\');
    strcpy(slash != nullptr ? slash + 1 : path, "Cadrel.scr");
    return path;
}

SaverProcess::SaverProcess(const std::string& tail)
{
    std::string commandLine = "\"" + SaverPath() + "\"";
    if (!tail.empty())
        commandLine += " " + tail;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
    }
}

SaverProcess::~SaverProcess()
{
    if (process_ == nullptr)
        return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
}

DWORD SaverProcess::WaitForExit(DWORD timeoutMs)
{
    if (process_ == nullptr)
        return STILL_ACTIVE;
    WaitUntil([this] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, timeoutMs);
    DWORD status = STILL_ACTIVE;
    GetExitCodeProcess(process_, &status);
    return status;
}

namespace {

struct WindowSearch {
    DWORD ProcessId;
    const char* ClassName;
    const char* Title;
    HWND Found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->ProcessId || !IsWindowVisible(window))
        return TRUE;
    char text[256] = {};
    if (search->ClassName != nullptr
        && (GetClassNameA(window, text, sizeof text) == 0 || strcmp(text, search->ClassName) != 0))
        return TRUE;
    if (search->Title != nullptr
        && (GetWindowTextA(window, text, sizeof text) < 0 || strcmp(text, search->Title) != 0))
        return TRUE;
    search->Found = window;
    return FALSE;
}

}  // namespace

HWND SaverProcess::WaitForWindow(const char* className, const char* title, DWORD timeoutMs)
{
    WindowSearch search = {id_, className, title, nullptr};
    WaitUntil([&] {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.Found != nullptr;
    }, timeoutMs);
    return search.Found;
}

void PumpMessagesFor(DWORD ms)
{
    const ULONGLONG deadline = GetTickCount64() + ms;
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount64() < deadline);
}

ScreenImage CaptureScreen(HWND window)
{
    ScreenImage image;
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window != nullptr) {
        GetClientRect(window, &area);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    }
    image.Width = area.right - area.left;
    image.Height = area.bottom - area.top;
    if (image.Width <= 0 || image.Height <= 0)
        return ScreenImage();

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.Width;
    info.bmiHeader.biHeight = -image.Height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, image.Width, image.Height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    image.Pixels.assign(pixels, pixels + static_cast<size_t>(image.Width) * image.Height);
    for (uint32_t& pixel : image.Pixels)
        pixel &= 0x00FFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

size_t CountPixels(const ScreenImage& image, uint32_t rgb)
{
    size_t count = 0;
    for (uint32_t pixel : image.Pixels)
        count += pixel == rgb;
    return count;
}

RECT BoundingBox(const ScreenImage& image, uint32_t rgb)
{
    RECT box = {image.Width, image.Height, 0, 0};
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x)
            if (image.At(x, y) == rgb)
                box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                       std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
    return box;
}
