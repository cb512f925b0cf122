// The displays' power state, which Windows tells the windows that register
// for it: the saver rests while the displays are off.
#pragma once

#include <windows.h>

enum class DisplayState { Unknown, Off, On, Dimmed };

// What a power-setting notification (WM_POWERBROADCAST with
// PBT_POWERSETTINGCHANGE) says of the displays: Unknown for another
// setting, a state too short or not known, or no setting at all.
DisplayState DisplayStateOf(const POWERBROADCAST_SETTING* setting);

// The setting that tells of the displays on the system whose kernel32 this
// is: the session's display status from Windows 8 on, the monitors' power
// before.
const GUID& DisplayStateSetting(HMODULE kernel32);

// Where Windows can tell (Vista and later), the window is told from now on
// whenever the displays go off, dim or come on.
void RegisterForDisplayState(HWND window);
void UnregisterForDisplayState();
