#pragma once
#include <windows.h>

// The installer's progress steps in its window: six pauses of 10 ms.
constexpr int FloorPauses = 6;
constexpr DWORD FloorPauseMs = 10;

// The window class of the floor program's window (its `window` mode).
constexpr char FloorWindowClass[] = "QuillfernDurableFloor";

// The least that an installation keeping each old file until its new one is
// whole can do for the four files (French): the folders made, then for each
// file its bytes written beside the target in one call, flushed, moved over
// the target written through, and read back in one call and compared.
// `host` ends in a backslash. False when a step fails.
bool WriteFilesDurably(const char* host);
