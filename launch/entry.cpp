// Process start: the runtime calls WinMain, and what it returns becomes the
// exit status.
#include <windows.h>

#include "launch/command_line.h"
#include "launch/saver_main.h"

// The tail is cut from the process command line by our own rule rather than
// taken from lpCmdLine, whose quoting rules differ between runtimes.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return SaverMain(instance, CommandTail(GetCommandLineA()));
}
