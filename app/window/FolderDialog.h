#pragma once
// The system's folder dialog (IFileOpenDialog picking folders, Windows Vista
// on), with COM started only while it is open.
#include "runtime/Str.h"
#include <windows.h>

// Shows the dialog, modal to `owner`, under the title. It opens in `start`,
// or in the nearest existing folder above it, else in the Program Files
// folder. Returns the path of the folder picked, as the system gives it, in
// a new string (the empty string for a pick with no file system path); null
// when the user cancels or the dialog cannot be shown.
HeapStr FolderDialogPick(HWND owner, const char* title, const char* start);
