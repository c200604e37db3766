#pragma once
// The program's start and end. It stands above every layer, so it is the one
// to start the runtime and the GUI layer in their fixed order and to end them.
#include <windows.h>

// The runtime's own preparation, then the services' start routines in order:
// windows, controls, images, files, fonts, and the string work buffer last.
void PrepareServices(HINSTANCE instance);
// The installer's main body (InstallerMain.cpp), between the two: it returns
// the exit code, every sink closed.
unsigned InstallerMain();
// Closes the windows. The runtime's end (RtEnd) follows: the one exit, taken
// by the process entry alone.
void EndServices();
