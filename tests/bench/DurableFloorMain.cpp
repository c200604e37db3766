// The durable floor as a program of its own, for a silent installation's
// yardstick: it starts the window system, as any installer does (the
// display driver answers the screen's size; the thread gets its message
// queue), then writes the four files durably under the folder named on its
// command line. Exit code 0 when every file was written and read back whole.
//   durable_floor <host folder ending in a backslash>
#include "DurableFloor.h"
#include <windows.h>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc < 2 || GetSystemMetrics(SM_CXSCREEN) <= 0)
        return 2;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    return WriteFilesDurably(__argv[1]) ? 0 : 1;
}
