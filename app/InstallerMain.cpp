#include "Installer.h"
#include "HostLocator.h"
#include "../runtime/Rt.h"
#include "../runtime/Str.h"

void InstallerMain()
{
    char* hostFolder = LocateHostFolder();
    StrFree(hostFolder);
    FinalCleanup();
}

void FinalCleanup()
{
    RtEnd();
}
