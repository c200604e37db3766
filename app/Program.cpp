#include "app/Program.h"
#include "gui/Ctl.h"
#include "gui/Fnt.h"
#include "gui/Img.h"
#include "gui/Win.h"
#include "runtime/File.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"

void PrepareRuntime(HINSTANCE instance)
{
    RtPrepare(instance);
    FileInit();
    StrInit();
}

void PrepareWindowServices()
{
    WinInit();
    CtlInit();
    ImgInit();
    FntInit();
}

void PrepareServices(HINSTANCE instance)
{
    PrepareRuntime(instance);
    PrepareWindowServices();
}

void EndServices()
{
    WinEnd();
}
