#pragma once
// Which host folder a run installs into: the folder named on the command
// line, the registered one, or, in the window, the one the user picks with
// the folder dialog. Each folder returned is a new string that the caller
// owns, absolute and ending in a backslash; null when there is none. Each is
// looked into as the run will reach it (`reach`, InstallationReach).
#include "runtime/Str.h"
#include "runtime/TreeReach.h"

// For the install click: the named folder where it is a PureBasic folder;
// where it is not, the user is asked, as for a stale registration. Without
// one, the registered folder, else the one the user picks. The dialog and
// its messages are in the language given.
HeapStr HostChoiceForWindow(const char* named, unsigned char language, TreeReach reach);
// For a run that asks no one: the named folder where it is a PureBasic
// folder (else none); without one, the registered folder.
HeapStr HostChoiceWithoutWindow(const char* named, TreeReach reach);
// For the copy started with rights: as without a window, except that a
// network folder is never reached for (consenting would hand the
// administrator's credentials to its server): it is returned unchecked, and
// the installation writes nothing there.
HeapStr HostChoiceForRelaunched(const char* named, TreeReach reach);
