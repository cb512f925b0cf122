#include "saver_host.h"

// "cadrel_host_tests --pane WIDTH HEIGHT" is a host's preview pane at (500,
// 100), until WM_CLOSE. It is DPI aware like a host: Wine tells
// other processes a window's DPI only when it is system DPI aware.
int main(int argc, char** argv)
{
    if (argc == 4 && strcmp(argv[1], "--pane") == 0) {
        SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
        CreateWindowA("Static", "", WS_POPUP | WS_VISIBLE | SS_BLACKRECT, 500, 100, atoi(argv[2]),
                      atoi(argv[3]), 0, 0, 0, 0);
        for (MSG message; GetMessageA(&message, nullptr, 0, 0) > 0;)
            DispatchMessageA(&message);
        return 0;
    }
    // The tests read other processes' windows and the screen in physical
    // pixels, as only a per-monitor aware program sees them at every scale.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

std::string PathBeside(const std::string& name)
{
    if (name.find(':') != std::string::npos)
        return name;  // a full path already
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, strrchr(path, '\\') + 1) + name;
}

Process::Process(const std::string& tail, const char* program)
{
    std::string line = "\"" + PathBeside(program) + "\"" + (tail.empty() ? "" : " " + tail);
    STARTUPINFOA startup = {sizeof startup};
    CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &Info);
    // This program may set the foreground while the prompt that started it
    // is in front; a program it starts may not, unless given the right.
    AllowSetForegroundWindow(Info.dwProcessId);
}

Process::~Process()
{
    TerminateProcess(Info.hProcess, 1);  // fails harmlessly once it has ended
    WaitForSingleObject(Info.hProcess, 5000);
    CloseHandle(Info.hProcess);
    CloseHandle(Info.hThread);
}

DWORD Process::WaitForExit(DWORD ms)
{
    DWORD status = STILL_ACTIVE;
    WaitUntil([&] { return WaitForSingleObject(Info.hProcess, 0) != WAIT_TIMEOUT; }, ms);
    GetExitCodeProcess(Info.hProcess, &status);
    return status;
}

HWND Process::WaitForWindow(const char* className, const char* title, DWORD ms)
{
    HWND found = nullptr;
    WaitUntil([&] {
        DWORD owner = 0;
        do
            found = FindWindowExA(nullptr, found, className, title);
        while (found && (!GetWindowThreadProcessId(found, &owner) || owner != Info.dwProcessId
                         || !IsWindowVisible(found)));
        return found != nullptr;
    }, ms);
    return found;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD ms)
{
    for (const ULONGLONG deadline = GetTickCount64() + ms; !condition();) {
        if (GetTickCount64() >= deadline)
            return false;
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageA(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}
