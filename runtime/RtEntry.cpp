// The process entry and the hand-over to the installer. Only the program
// links this file; tests prepare the services with RtPrepare instead.
#include "Rt.h"
#include "../app/Installer.h"

void RtStart(HINSTANCE instance)
{
    RtPrepare(instance);
    InstallerMain();
}

// Windows enters with a 4-byte aligned stack on 32-bit; realign it once here.
extern "C" __attribute__((force_align_arg_pointer)) void WINAPI RtProcessEntry()
{
    RtRestrictDllSearch();
    RtInstallFaultHandler();
    RtStart(GetModuleHandleA(nullptr));
}
