#pragma once
// Starting this program again with administrator rights, when the host
// folder needs them, and showing what that copy does as if this process
// had done it: the same log lines and steps, the same result.
#include "app/install/Installation.h"
#include "runtime/StrWide.h"
#include <windows.h>
#include <shellapi.h>

// Holds this program's own file without write or delete sharing from the
// start of a run that may start a copy with rights to its end: the file
// that gets the rights is the one that was started, never one renamed into
// its place meanwhile. Without the hold no copy is started.
void RelaunchHoldProgram();
void RelaunchLetGoProgram();
// Asks the system to start this program with rights (the runas verb; the
// system shows its consent prompt, over `owner` when given) to install the
// order's language into its host folder, and replays the copy's log into
// the order's log, answering its questions there; a removal's copy removes. This thread's windows
// keep answering meanwhile, the prompt and the copy waited for aside. A copy
// that ends without a result is said so in the log (RelaunchFailure).
InstallationOutcome RelaunchInstall(const InstallationOrder& order, HWND owner);
// What says that the copy with rights ended without a result: the sentence,
// TextCopyFailedCode with the copy's exit code as its place's value, or
// TextCopyFailed when the copy never ran (the code then empty). The code is
// at the work position, protected as an argument: the caller rewinds to it.
struct RelaunchFailureText {
    TextId sentence;
    TempStr code;
};
RelaunchFailureText RelaunchFailure(const InstallationOutcome& outcome);

// The system's functions this needs, loaded from the system folder when
// first used (RelaunchShell.cpp): ShellExecuteExW, ERROR_SUCCESS when it
// succeeded, else why it failed (ERROR_CANCELLED when the user refused).
DWORD RelaunchExecute(SHELLEXECUTEINFOW* info);
// The UNC form of a path on a mapped network drive (an elevated process does
// not see the user's drive letters), in a new heap block that the caller
// frees; null for any other path, or when the system cannot tell.
HeapWideStr RelaunchUniversalPath(const wchar_t* path);
