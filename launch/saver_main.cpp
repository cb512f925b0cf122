#include "launch/saver_main.h"

#include <ctime>

#include "display/desktop.h"
#include "display/display_power.h"
#include "display/preview_window.h"
#include "display/saver_window.h"
#include "launch/command_line.h"
#include "launch/window_identity.h"
#include "platform/random.h"
#include "platform/system_library.h"
#include "settings/options_dialog.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

HWND ParentWindow = nullptr;
bool PreviewMode = false;

namespace {

bool RegisterSaverClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
    windowClass.lpfnWndProc = PreviewMode ? PreviewWndProc : SaverWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "IDI_ICON1");
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // The preview window is never shown, so its background never shows.
    windowClass.hbrBackground = PreviewMode ? reinterpret_cast<HBRUSH>(COLOR_MENU + 1)
                                            : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = SaverClassName;
    return RegisterClassExA(&windowClass) != 0;
}

// The drops are laid out over the monitors the window covers once it has
// shown, in cells as tall as the glyphs are on each of them.
HWND StartFullScreen(HINSTANCE instance)
{
    HWND window = CreateFullScreenWindow(instance, SaverClassName);
    if (window == nullptr)
        return nullptr;
    SeedRandom(static_cast<uint32_t>(time(nullptr)));
    if (!LayOutDrops(window)) {
        DestroyWindow(window);
        return nullptr;
    }
    SetTimer(window, TimerId, TickInterval, nullptr);
    // From now on the saver rests while the displays are off. Windows
    // promises a notification when their state changes, not one at once: a
    // saver started in the dark may rain until the next change.
    RegisterForDisplayState(window);
    return window;
}

}  // namespace

HWND WindowFromNumber(int32_t number)
{
    // A 64-bit process sign-extends the 32-bit number, as Windows does for
    // its own handles.
    HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(number));
    // HWND_MESSAGE (-3) names no window, whatever IsWindow says of it: a
    // preview child of it would be a message-only window nobody ever
    // destroys, and a message box owned by it shows nothing and waits forever.
    return window != HWND_MESSAGE && IsWindow(window) ? window : nullptr;
}

HWND CreatePreviewWindow(HINSTANCE instance, const char* className)
{
    // Windows keeps one DPI awareness within a window tree: a child created
    // in another awareness than the pane's may fail, or reset the whole
    // process's. The pane belongs to the host, so the child takes its
    // awareness, and the banner is laid out at the DPI the pane sees.
    TakeDpiAwarenessOf(ParentWindow);
    HWND window = CreateWindowExA(0, className, SaverTitle, WS_CHILD,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  ParentWindow, nullptr, instance, nullptr);
    if (window != nullptr)
        ShowWindow(window, SW_HIDE);
    return window;
}

int RunMessageLoop(MessageFetch fetchMessage)
{
    MSG message = {};
    BOOL result;
    while ((result = fetchMessage(&message, nullptr, 0, 0)) != 0) {
        if (result == -1)
            return 0;  // the queue is unusable; spinning on it would never end
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

int SaverMain(HINSTANCE instance, const char* commandTail)
{
    RestrictDllSearch();
    if (FindWindowA(SaverClassName, SaverTitle) != nullptr)
        return 0;  // a full-screen saver is already running

    BootstrapSettings();

    switch (RunModeOf(commandTail)) {
    case RunMode::Password:
        ParentWindow = WindowFromNumber(HandleNumber(commandTail));
        MessageBoxA(ParentWindow, "No password supported", SaverTitle, MB_ICONHAND | MB_OK);
        return 0;
    case RunMode::Configure:
        ParentWindow = WindowFromNumber(HandleNumber(commandTail));
        DialogBoxParamA(instance, "CONFIGUREDIALOG", ParentWindow, OptionsDlgProc, 0);
        return 0;
    case RunMode::Preview:
        PreviewMode = true;
        ParentWindow = WindowFromNumber(HandleNumber(commandTail));
        if (ParentWindow == nullptr)
            return 0;
        break;
    case RunMode::FullScreen:
        break;
    }

    if (!RegisterSaverClass(instance))
        return 0;
    HWND window = PreviewMode ? CreatePreviewWindow(instance, SaverClassName)
                               : StartFullScreen(instance);
    if (window == nullptr)
        return 0;
    UpdateWindow(window);
    return RunMessageLoop();
}
