// The process entry, and its one exit. Only the program links this file;
// tests prepare the services with PrepareServices instead.
#include "app/Program.h"
#include "runtime/Rt.h"

// Windows enters with a 4-byte aligned stack on 32-bit: enough for the
// shipped build, whose code keeps the stack 4-byte aligned; a build that
// keeps it 16-byte aligned has it realigned here, once.
// The DLL search is restricted before anything can load a DLL. The window
// services start when the window is built: a silent run never starts the
// window system (its display driver, theme and desktop).
extern "C" __attribute__((force_align_arg_pointer)) void WINAPI ProgramEntry()
{
    RtRestrictDllSearch();
    RtInstallFaultHandler();
    PrepareRuntime(GetModuleHandleW(nullptr));
    unsigned exitCode = InstallerMain();
    EndServices();
    RtEnd(exitCode);
}
