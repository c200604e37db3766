// scripts/run without a display of its own: an English installation walked
// through on the virtual desktop, with a screenshot of each state taken once
// the window (and the message box) has painted completely; a state that
// does not paint is reported, not saved. With QUILLFERN_PICTURES set, the
// window before any choice and after the installation with its message open
// are also saved there, cut to the window, for the README, and the window
// before any choice on a display of 144 dpi.
#include "support/ChildProcess.h"
#include "InstallerDriver.h"
#include "InstallerView.h"
#include "support/WaitFor.h"
#include <cstdio>

constexpr int PictureMargin = 16;

static int Fail(const char* what)
{
    printf("demo: %s\n", what);
    return 1;
}

// The main window and the message box when it is open, with a margin.
static RECT PictureArea(const InstallerProcess& installer, const MessageBoxContent* box)
{
    RECT area = {}, boxArea = {};
    GetWindowRect(installer.Main, &area);
    if (box && GetWindowRect(box->box, &boxArea))
        UnionRect(&area, &area, &boxArea);
    InflateRect(&area, PictureMargin, PictureMargin);
    return area;
}

static bool Snapshot(const InstallerProcess& installer, const MessageBoxContent* box, const char* name,
                     const char* picture = nullptr)
{
    ScreenImage shown;
    std::string missing;
    if (!WaitForPainted(installer, box, shown, missing)) {
        printf("demo: %s not saved: not drawn on the screen: %s\n", name, missing.c_str());
        return false;
    }
    SaveScreenshot(shown, name);
    printf("demo: screenshot %s.bmp\n", name);
    std::string pictures = FolderFromEnvironment("QUILLFERN_PICTURES");
    if (picture && !pictures.empty()) {
        SaveImage(Crop(shown, PictureArea(installer, box)), pictures, picture);
        printf("demo: picture %s.bmp\n", picture);
    }
    return true;
}

// The window before any choice on a display of 144 dpi (150 %), for the
// README: the installer started once more, then cancelled.
static bool ScaledPicture(const std::string& host)
{
    DisplayScale scale(144);
    InstallerProcess installer;
    if (!scale.Applied() || !installer.Start(host) || !installer.WaitForWindow()) {
        printf("demo: the installer window did not appear at 144 dpi\n");
        return false;
    }
    bool shown = Snapshot(installer, nullptr, "demo-5-150-percent", "window-150-percent");
    PostButtonClick(installer.Control(5));
    DWORD exitCode = 0xDEAD;
    if (!installer.WaitForEndAfterQuit(&exitCode) || exitCode != 0) {
        printf("demo: the installer at 144 dpi did not end with exit code 0\n");
        return false;
    }
    return shown;
}

CHILD_MODE(demo)
{
    std::string host = FolderFromEnvironment("QUILLFERN_DEMO_HOST");
    InstallerProcess installer;
    if (host.empty() || !installer.Start(host) || !installer.WaitForWindow())
        return Fail("the installer window did not appear");
    bool allShown = Snapshot(installer, nullptr, "demo-1-choosing", "window-choosing");
    PostButtonClick(installer.Control(8));
    if (!installer.WaitForLineCount(1))
        return Fail("English was not chosen");
    allShown &= Snapshot(installer, nullptr, "demo-2-english");
    PostButtonClick(installer.Control(7));
    MessageBoxContent message;
    if (!installer.WaitForMessageBox(message, InstallDeadlineMs))
        return Fail("no message after the installation");
    allShown &= Snapshot(installer, &message, "demo-3-installed", "window-installed-english");
    printf("demo: message \"%s\": %s\n", message.title.c_str(), message.text.c_str());
    printf("demo: log lines\n");
    for (const std::string& line : installer.LogLines())
        printf("  %s\n", line.c_str());
    PostButtonClick(GetDlgItem(message.box, IDOK));
    if (!installer.WaitForNoMessageBox() || !WaitFor([&] { return IsWindowEnabled(installer.Control(5)) != FALSE; }))
        return Fail("the message did not close");
    allShown &= Snapshot(installer, nullptr, "demo-4-done");
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
    if (!FolderFromEnvironment("QUILLFERN_PICTURES").empty())
        allShown &= ScaledPicture(host);
    if (!allShown)
        return Fail("some states did not paint completely: their screenshots are missing");
    return exitCode == 0 ? 0 : 1;
}
