#pragma once
// What the runs without a window share: a script's /S run (ScriptRun.cpp),
// /UNINSTALL (UninstallRun.cpp) and /VERIFY (VerifyRun.cpp). They log to
// standard output and the /LOG= file; the last two end with one result
// line, shown in a box unless silent.
#include "app/Texts.h"
#include "app/run/Run.h"

// Adds standard output and the /LOG= file to the run's sinks. 0 when the
// /LOG= file cannot be had: the log says which file, and the run ends with
// ExitNotUnderstood.
int ScriptLogOpen(const CommandLine& line, Run& run);
// Takes the installation (RunHoldInstallation), then opens the log as
// ScriptLogOpen does; 0 when the run ends at once, with *exitCode.
int ScriptLogBegin(const CommandLine& line, Run& run, unsigned* exitCode);
// "<start><count><end>" at the result start, in the run's language.
char* ScriptLogCount(const Run& run, TextId start, int count, TextId end, char* resultStart);
// The result line (none when null), the log's end with the exit code, and,
// unless silent, the box text in a box: information for exit code 0, a
// warning for 3, an error otherwise. Returns the exit code.
unsigned ScriptLogEnd(const Run& run, int silent, const char* result, const char* boxText, unsigned exitCode,
                      int kept);
// Logs the heading and takes the host folder (HostChoiceWithoutWindow), a
// new string; null without one, the run's log then ended with ExitNoHost.
char* ScriptLogHost(const Run& run, int silent, TextId heading);
