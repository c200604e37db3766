// Every test program prepares the services as the installer does, without
// entering the installer, then runs its tests or the child mode it was asked for.
#include "ChildProcess.h"
#include "app/Program.h"
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    PrepareServices(GetModuleHandleA(nullptr));
    int exitCode = 0;
    if (RunChildModeIfAsked(argc, argv, &exitCode))
        return exitCode;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
