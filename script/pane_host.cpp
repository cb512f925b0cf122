// Plays the screen-saver host's preview: a small host window with a preview
// pane, and the Cadrel.scr beside this program started with "/p <pane>" to
// draw its banner there.
//
//   cadrel_pane_host [--seconds N]
//
// Closing the host window, or N seconds, destroys the pane, which ends the
// saver; the host then exits with the saver's exit status.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Where the pane sits in the host's client area, and its size.
constexpr int PaneX = 24, PaneY = 20, PaneWidth = 152, PaneHeight = 112;
constexpr int HostWidth = 200, HostHeight = 152;  // client area
constexpr UINT_PTR CloseTimerId = 1;

HWND g_pane = nullptr;  // the window whose handle the saver gets

// Keeps the pane over its spot in the host when the host moves.
void PlacePane(HWND host)
{
    POINT origin = {PaneX, PaneY};
    ClientToScreen(host, &origin);
    SetWindowPos(g_pane, nullptr, origin.x, origin.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Destroying the pane is how a host ends a preview.
void CloseHost(HWND host)
{
    KillTimer(host, CloseTimerId);
    DestroyWindow(g_pane);
    g_pane = nullptr;
    DestroyWindow(host);
}

LRESULT CALLBACK HostWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOVE:
        if (g_pane != nullptr)
            PlacePane(window);
        return 0;
    case WM_TIMER:  // --seconds have passed
    case WM_CLOSE:
        CloseHost(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateHost(HINSTANCE instance)
{
    WNDCLASSA host = {};
    host.lpfnWndProc = HostWndProc;
    host.hInstance = instance;
    host.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    host.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    host.lpszClassName = "CadrelPaneHost";
    WNDCLASSA pane = host;
    pane.lpfnWndProc = DefWindowProcA;
    pane.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    pane.lpszClassName = "CadrelPreviewPane";
    RegisterClassA(&host);
    RegisterClassA(&pane);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT frame = {0, 0, HostWidth, HostHeight};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowA("CadrelPaneHost", "Screen Saver Preview", style, CW_USEDEFAULT,
                                CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                nullptr, nullptr, instance, nullptr);
    // A Windows host makes the pane a child of its dialog. Under Wine 8 what
    // another process draws into a child window through GetDC never reaches
    // the screen, while drawing into a top-level window does: so this pane is
    // a popup owned by the host and laid over the spot a child would fill.
    g_pane = CreateWindowExA(WS_EX_NOACTIVATE, "CadrelPreviewPane", "", WS_POPUP, 0, 0, PaneWidth,
                             PaneHeight, window, nullptr, instance, nullptr);
    if (window == nullptr || g_pane == nullptr)
        return nullptr;
    ShowWindow(window, SW_SHOWNORMAL);
    PlacePane(window);
    ShowWindow(g_pane, SW_SHOWNOACTIVATE);
    return window;
}

// Starts the Cadrel.scr beside this program the way the host does: its
// quoted path, "/p" and the pane's handle. Returns the process, or nullptr.
HANDLE StartPreview()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = strrchr(path, '\\');
    strcpy(slash != nullptr ? slash + 1 : path, "Cadrel.scr");
    std::string commandLine = std::string("\"") + path + "\" /p "
                              + std::to_string(reinterpret_cast<uintptr_t>(g_pane));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    int seconds = 0;
    for (int i = 1; i + 1 < __argc; ++i)
        if (strcmp(__argv[i], "--seconds") == 0)
            seconds = atoi(__argv[i + 1]);

    HWND host = CreateHost(instance);
    if (host == nullptr)
        return 1;
    HANDLE saver = StartPreview();
    if (saver == nullptr) {
        MessageBoxA(host, "Cadrel.scr could not be started.", "Screen Saver Preview", MB_ICONHAND);
        CloseHost(host);
        return 1;
    }
    if (seconds > 0)
        SetTimer(host, CloseTimerId, seconds * 1000, nullptr);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // The saver's window was a child of the pane, so it may still send this
    // thread messages while it ends: the wait keeps handling them. One that
    // outlives its pane by 5 s is reported as a fault.
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (MsgWaitForMultipleObjects(1, &saver, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0
           && GetTickCount64() < deadline) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    DWORD status = 1;
    if (WaitForSingleObject(saver, 0) == WAIT_OBJECT_0)
        GetExitCodeProcess(saver, &status);
    else
        TerminateProcess(saver, 1);
    CloseHandle(saver);
    return static_cast<int>(status);
}
