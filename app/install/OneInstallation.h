#pragma once
// One installation at a time. Each new file is written under a fixed name
// beside its target before it takes the target's place, so two installers
// at once could move each other's half-written files into place: a named
// mutex, held from start to end, lets only one run.
#include <windows.h>

// 1 when this run holds the installation (until ReleaseInstallation), 0
// when another one runs (or the guard cannot be had).
int ClaimInstallation();
void ReleaseInstallation();
// Marks the installer's main window, so that a second start can find it;
// 0 takes the mark away before the window goes.
void MarkInstallerWindow(HWND window);

// What a second start found of the running installation.
enum RunningInstaller {
    RunningShown,           // its window (or its box or dialog) came to the front
    RunningWithoutWindow,   // none in this session (silent, or another session)
    RunningEnded,           // it ended meanwhile: this run holds the installation now
};
// Brings the running installer's window to the front, waiting a moment for
// it: a run holds the guard a little before its window exists.
RunningInstaller ShowRunningInstaller();
