#include "app/Program.h"
#include "gui/Ctl.h"
#include "gui/Fnt.h"
#include "gui/Img.h"
#include "gui/Win.h"
#include "runtime/File.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"

void PrepareServices(HINSTANCE instance)
{
    RtPrepare(instance);
    WinInit();
    CtlInit();
    ImgInit();
    FileInit();
    FntInit();
    StrInit();
}

void EndServices()
{
    WinEnd();
}
