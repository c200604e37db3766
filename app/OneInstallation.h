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
// Brings the running installer's window, if it has one, to the front.
void ShowRunningInstaller();
