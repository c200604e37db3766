#pragma once
// The program's start and end. It stands above every layer, so it is the one
// to start the runtime and the GUI layer in their fixed order and to end them.
#include <windows.h>

// The runtime with files and strings, which every run needs; then the
// window services (windows, controls, images, fonts), which only a run that
// shows its window needs: starting them starts the window system.
void PrepareRuntime(HINSTANCE instance);
void PrepareWindowServices();
// Both halves, for a test that drives the services itself.
void PrepareServices(HINSTANCE instance);
// The installer's main body (InstallerMain.cpp), between the two: it returns
// the exit code, every sink closed.
unsigned InstallerMain();
// Closes the windows. The runtime's end (RtEnd) follows: the one exit, taken
// by the process entry alone.
void EndServices();
