#include "platform/system_library.h"

#include <cstring>

namespace {

using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);

// Windows 8 and later, and Windows 7 and Vista with update KB2533623, have
// it; where they do, LoadLibraryExA also takes the search flags.
SetDefaultDirectories DefaultDirectoriesSetter()
{
    return LookUp<SetDefaultDirectories>(GetModuleHandleA("kernel32.dll"),
                                         "SetDefaultDllDirectories");
}

}  // namespace

void RestrictDllSearch()
{
    const SetDefaultDirectories setDefault = DefaultDirectoriesSetter();
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    // Without the update this at least drops the current folder; the
    // program's own folder stays first, so LoadSystemLibrary names full paths.
    SetDllDirectoryA("");
}

HMODULE LoadSystemLibrary(const char* name)
{
    if (DefaultDirectoriesSetter() != nullptr)
        return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + strlen(name) >= MAX_PATH)
        return nullptr;
    path[length] = '\\';
    strcpy(path + length + 1, name);
    return LoadLibraryA(path);
}
