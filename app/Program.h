#pragma once
// The program's start and end. It stands above every layer, so it is the one
// to start the runtime and the GUI layer in their fixed order and to end them.
#include <windows.h>

// The runtime's own preparation, then the services' start routines in order:
// windows, controls, images, files, fonts, and the string work buffer last.
void PrepareServices(HINSTANCE instance);
// The same in two halves: the runtime with files and strings, which every
// run needs; then the window services, which only a run that shows its
// window needs (starting them starts the window system).
void PrepareRuntime(HINSTANCE instance);
void PrepareWindowServices();
// Closes the windows, then ends the runtime: the heap goes, the process ends
// with the exit code.
[[noreturn]] void EndProgram(UINT exitCode = 0);
