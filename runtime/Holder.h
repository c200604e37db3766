#pragma once
// The holders of a file: the applications that Windows' Restart Manager
// finds with the file open, by the names it gives them. The Restart Manager
// is loaded from the system folder for each question and let go after it.
#include "Str.h"
#include <windows.h>

// Writes the holders' names at the result start (string protocol: UTF-8,
// joined by ", ", each once) and returns how many it wrote: 0, with the
// empty text, when it names none (no Restart Manager, a failure, or a
// holder it cannot name, such as a service or a process of another session).
int HolderNames(const char* path, TempStr resultStart);
// The same for the file or folder open through the handle (opened for its
// attributes at least): the processes that the system says use it, named by
// the Restart Manager, which is given those processes, never a path; this
// process is not one of them.
int HolderNamesOfOpen(HANDLE open, TempStr resultStart);
