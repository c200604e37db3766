#pragma once
// Finds the host's installation folder from the shell registration of
// PureBasic.exe.

// Returns the host folder (absolute, ending in a backslash) as a new string
// that the caller owns, or null when no host folder can be determined.
char* LocateHostFolder();

// The folder of the program named by a shell command line, at resultStart
// (string protocol); the empty string when the command names no absolute path.
void HostFolderFromCommand(const char* command, char* resultStart);
