// scripts/run without a display of its own: an English installation walked
// through on the virtual display, with a screenshot of each state.
#include "support/ChildProcess.h"
#include "InstallerDriver.h"
#include "ScreenCheck.h"
#include "support/WaitFor.h"
#include <cstdio>

static int Fail(const char* what)
{
    printf("demo: %s\n", what);
    return 1;
}

static void Snapshot(const char* name)
{
    SaveScreenshot(CaptureScreen(), name);
    printf("demo: screenshot %s.bmp\n", name);
}

CHILD_MODE(demo)
{
    std::string host = FolderFromEnvironment("QUILLFERN_DEMO_HOST");
    InstallerProcess installer;
    if (host.empty() || !installer.Start(host) || !installer.WaitForWindow())
        return Fail("the installer window did not appear");
    Snapshot("demo-1-choosing");
    PostButtonClick(installer.Control(8));
    if (!installer.WaitForLineCount(1))
        return Fail("English was not chosen");
    Snapshot("demo-2-english");
    PostButtonClick(installer.Control(7));
    MessageBoxContent message;
    if (!installer.WaitForMessageBox(message, InstallDeadlineMs))
        return Fail("no message after the installation");
    Snapshot("demo-3-installed");
    printf("demo: message \"%s\": %s\n", message.title.c_str(), message.text.c_str());
    printf("demo: log lines\n");
    for (const std::string& line : installer.LogLines())
        printf("  %s\n", line.c_str());
    PostButtonClick(GetDlgItem(message.box, IDOK));
    if (!installer.WaitForNoMessageBox() || !WaitFor([&] { return IsWindowEnabled(installer.Control(5)) != FALSE; }))
        return Fail("the message did not close");
    Snapshot("demo-4-done");
    PostButtonClick(installer.Control(5));
    DWORD exitCode = 0xDEAD;
    if (!installer.WaitForEndAfterQuit(&exitCode))
        return Fail("the installer did not end");
    printf("demo: the installer ended with exit code %lu; files under %s\n", (unsigned long)exitCode, host.c_str());
    for (const std::string& entry : ListTree(host)) {
        if (entry.back() == '\\')
            continue;
        WIN32_FILE_ATTRIBUTE_DATA data;
        GetFileAttributesExA((host + entry).c_str(), GetFileExInfoStandard, &data);
        printf("  %8lu  %s\n", (unsigned long)data.nFileSizeLow, entry.c_str());
    }
    return exitCode == 0 ? 0 : 1;
}
