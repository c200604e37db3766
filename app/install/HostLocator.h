#pragma once
#include "runtime/Str.h"
#include "runtime/TreeReach.h"

// Finds the host's installation folder: a folder that holds PureBasic.exe,
// named by the shell registration of PureBasic.exe. Asking the user is the
// window's part (HostChoice).

// The file that makes a folder a PureBasic folder.
inline constexpr char HostProgramName[] = "PureBasic.exe";

// Every host folder below is absolute and ends in a backslash; each one
// returned is a new string that the caller owns.

// 1 when the folder is absolute, ends in a backslash and holds the file
// PureBasic.exe, reached as `reach` says (a run's, InstallationReach).
int IsPureBasicFolder(const char* folder, TreeReach reach);
// The path of a folder as a host folder: ending in a backslash (the empty
// path stays empty). Nothing is checked.
HeapStr HostFolderFromPath(const char* path);
// The first folder a registration names, whether PureBasic is still there or
// not; null when neither names one.
HeapStr RegisteredHostFolder();
// The first folder a registration names that is a PureBasic folder; null
// when neither names one.
HeapStr LocateHostFolder(TreeReach reach);

// The folder of the program named by a shell command line, at resultStart
// (string protocol); the empty string when the command names no absolute path.
void HostFolderFromCommand(const char* command, TempStr resultStart);
// 1 for a drive or network folder path that ends in a backslash.
int HostIsAbsoluteFolder(const char* folder);
