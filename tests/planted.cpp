// A DLL that lies only beside the test programs, as one planted in a
// Downloads folder lies beside the saver: no system folder holds it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
