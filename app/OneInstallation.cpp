#include "OneInstallation.h"

// Global: installers in other sessions (a deployment service, another user)
// write the same files. Without a version: the new file's name is the same
// in every version.
static const wchar_t InstallationMutexName[] = L"Global\\QuillfernSetup.Installation";
static const wchar_t InstallerWindowMark[] = L"QuillfernSetup.Installer";

static HANDLE InstallationMutex;
static HWND MarkedWindow;

int ClaimInstallation()
{
    // Opened or made, then taken without waiting: a mutex left by a run that
    // died (abandoned) is taken too. A mutex this process cannot open (made
    // by a run with other rights) counts as a run in progress.
    InstallationMutex = CreateMutexW(nullptr, FALSE, InstallationMutexName);
    if (!InstallationMutex)
        return 0;
    DWORD waited = WaitForSingleObject(InstallationMutex, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        return 1;
    CloseHandle(InstallationMutex);
    InstallationMutex = nullptr;
    return 0;
}

void ReleaseInstallation()
{
    if (!InstallationMutex)
        return;
    ReleaseMutex(InstallationMutex);
    CloseHandle(InstallationMutex);
    InstallationMutex = nullptr;
}

void MarkInstallerWindow(HWND window)
{
    if (MarkedWindow)
        RemovePropW(MarkedWindow, InstallerWindowMark);
    MarkedWindow = window && SetPropW(window, InstallerWindowMark, (HANDLE)1) ? window : nullptr;
}

static BOOL CALLBACK TakeMarkedWindow(HWND window, LPARAM found)
{
    if (!GetPropW(window, InstallerWindowMark))
        return TRUE;
    *(HWND*)found = window;
    return FALSE;
}

void ShowRunningInstaller()
{
    HWND running = nullptr;
    EnumWindows(TakeMarkedWindow, (LPARAM)&running);
    if (!running)
        return;
    if (IsIconic(running))
        ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
}
