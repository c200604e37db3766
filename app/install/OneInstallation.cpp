#include "app/install/OneInstallation.h"

// Global: installers in other sessions (a deployment service, another user)
// write the same files. Without a version: the new file's name is the same
// in every version.
static const wchar_t InstallationMutexName[] = L"Global\\QuillfernSetup.Installation";
static const wchar_t InstallerWindowMark[] = L"QuillfernSetup.Installer";

// How long a second start waits for the running installer's window: the
// guard is taken before the window is built, which takes well under a
// second even on a slow machine.
constexpr DWORD RunningWindowWaitMs = 5000;
constexpr DWORD RunningWindowPollMs = 50;

static HANDLE InstallationMutex;
static HWND MarkedWindow;

// Made by a run with other rights (another account, an elevated run), the
// mutex may refuse full access to this one: waiting is all it needs to tell
// a held guard from a free one. Such a handle cannot release the mutex;
// it is left abandoned when this run ends, which the next run takes.
static HANDLE OpenInstallationMutex()
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, InstallationMutexName);
    if (!mutex && GetLastError() == ERROR_ACCESS_DENIED)
        mutex = OpenMutexW(SYNCHRONIZE, FALSE, InstallationMutexName);
    return mutex;
}

int ClaimInstallation()
{
    // Opened or made, then taken without waiting: a mutex left by a run that
    // died (abandoned) is taken too.
    InstallationMutex = OpenInstallationMutex();
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

// The window itself, or the box or dialog it shows at that moment.
static void BringToFront(HWND running)
{
    if (IsIconic(running))
        ShowWindow(running, SW_RESTORE);
    HWND popup = GetLastActivePopup(running);
    SetForegroundWindow(popup && IsWindowVisible(popup) && IsWindowEnabled(popup) ? popup : running);
}

RunningInstaller ShowRunningInstaller()
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND running = nullptr;
        EnumWindows(TakeMarkedWindow, (LPARAM)&running);
        if (running) {
            BringToFront(running);
            return RunningShown;
        }
        if (ClaimInstallation())
            return RunningEnded;
        if (GetTickCount() - start >= RunningWindowWaitMs)
            return RunningWithoutWindow;
        Sleep(RunningWindowPollMs);
    }
}
