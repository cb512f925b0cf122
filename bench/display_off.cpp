// Tells the running saver that the displays went off, as Windows tells a
// window registered for their state; Wine never sends it. The notification's
// lParam points at a setting in the receiving process, so the setting is
// written there first. Exits 0 when the saver took it.
#include <windows.h>

#include "launch/window_identity.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HWND saver = FindWindowA(SaverClassName, SaverTitle);
    DWORD id = 0;
    if (saver == nullptr || GetWindowThreadProcessId(saver, &id) == 0)
        return 1;
    // GUID_SESSION_DISPLAY_STATUS, state 0: off.
    const struct { GUID Setting; DWORD Length; DWORD State; } off = {
        {0x2B84C20E, 0xAD23, 0x4DDF, {0x93, 0xDB, 0x05, 0xFF, 0xBD, 0x7E, 0xFC, 0xA5}}, 4, 0};
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, id);
    void* copy = VirtualAllocEx(process, nullptr, sizeof off, MEM_COMMIT, PAGE_READWRITE);
    DWORD_PTR answer = FALSE;
    if (copy != nullptr && WriteProcessMemory(process, copy, &off, sizeof off, nullptr))
        SendMessageTimeoutA(saver, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, LPARAM(copy), 0, 3000,
                            &answer);
    VirtualFreeEx(process, copy, 0, MEM_RELEASE);
    CloseHandle(process);
    return answer == TRUE ? 0 : 1;
}
