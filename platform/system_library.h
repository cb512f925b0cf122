// Libraries come from the system folder only. The saver is often run from a
// Downloads folder that other programs write into, and Windows looks for a
// DLL that is not on its known-DLL list in the program's own folder first.
#pragma once

#include <windows.h>

// Takes the program's folder and the current folder out of the search for
// every DLL this process loads from now on, the system's own loads among
// them. Called before anything else.
void RestrictDllSearch();

// The system folder's copy of the library, or null when it has none.
HMODULE LoadSystemLibrary(const char* name);

// A function of a library that is already loaded, looked up rather than
// imported so that the saver still starts on Windows older than it; null
// where it is missing.
template <typename Function>
Function LookUp(HMODULE module, const char* name)
{
    if (module == nullptr)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
