#include "display/display_power.h"

#include <cstring>

#include "platform/system_library.h"

namespace {

using RegisterNotification = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
using UnregisterNotification = BOOL(WINAPI*)(HPOWERNOTIFY);
using PreciseTime = void(WINAPI*)(LPFILETIME);

// GUID_SESSION_DISPLAY_STATUS, Windows 8 and later: off, on or dimmed, for
// the displays of the session the saver draws in. The console's state
// (GUID_CONSOLE_DISPLAY_STATE) would rest a saver shown in a remote
// session whose viewer still looks at it.
constexpr GUID SessionDisplayStatus = {
    0x2B84C20E, 0xAD23, 0x4DDF, {0x93, 0xDB, 0x05, 0xFF, 0xBD, 0x7E, 0xFC, 0xA5}};
// GUID_MONITOR_POWER_ON, Vista and 7: off or on.
constexpr GUID MonitorPowerOn = {
    0x02731015, 0x4510, 0x4526, {0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA}};

HPOWERNOTIFY Registration = nullptr;

}  // namespace

DisplayState DisplayStateOf(const POWERBROADCAST_SETTING* setting)
{
    if (setting == nullptr || setting->DataLength < sizeof(DWORD))
        return DisplayState::Unknown;
    const bool session = IsEqualGUID(setting->PowerSetting, SessionDisplayStatus);
    if (!session && !IsEqualGUID(setting->PowerSetting, MonitorPowerOn))
        return DisplayState::Unknown;
    DWORD state = 0;
    memcpy(&state, setting->Data, sizeof state);  // Data is a byte array
    switch (state) {
    case 0:
        return DisplayState::Off;
    case 1:
        return DisplayState::On;
    case 2:
        return session ? DisplayState::Dimmed : DisplayState::Unknown;
    }
    return DisplayState::Unknown;
}

// Nothing says what Windows 7 does when asked for a setting it does not
// know, so the system decides: GetSystemTimePreciseAsFileTime came with
// Windows 8, as the session's display status did.
const GUID& DisplayStateSetting(HMODULE kernel32)
{
    if (LookUp<PreciseTime>(kernel32, "GetSystemTimePreciseAsFileTime") != nullptr)
        return SessionDisplayStatus;
    return MonitorPowerOn;
}

void RegisterForDisplayState(HWND window)
{
    const auto registerFor = LookUp<RegisterNotification>(GetModuleHandleA("user32.dll"),
                                                          "RegisterPowerSettingNotification");
    if (registerFor == nullptr)
        return;  // nothing will tell the saver of the displays: it never rests
    const GUID& setting = DisplayStateSetting(GetModuleHandleA("kernel32.dll"));
    Registration = registerFor(window, &setting, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void UnregisterForDisplayState()
{
    if (Registration == nullptr)
        return;
    const auto unregister = LookUp<UnregisterNotification>(GetModuleHandleA("user32.dll"),
                                                           "UnregisterPowerSettingNotification");
    if (unregister != nullptr)
        unregister(Registration);
    Registration = nullptr;
}
