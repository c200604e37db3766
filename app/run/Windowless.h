#pragma once
// What the runs without a window share: a script's /S run (ScriptRun.cpp),
// /UNINSTALL (UninstallRun.cpp) and /VERIFY (VerifyRun.cpp). They log to
// standard output and the /LOG= file; the last two end with one result
// line, shown in a box unless silent.
#include "app/Texts.h"
#include "app/run/Run.h"
#include "runtime/Str.h"

// Opens standard output, which the run's first sink writes to (RunStart with
// ConsoleLogSink), and the /LOG= file as its second. 0 when the /LOG= file
// cannot be had: the log says which file, and the run ends with
// ExitNotUnderstood.
int WindowlessOpen(const CommandLine& line, Run& run);
// Takes the installation (RunHoldInstallation), then opens the log as
// WindowlessOpen does; whether the run goes on.
RunGo WindowlessBegin(const CommandLine& line, Run& run);
// A run's result: its sentence, the value of its place when it has one (a
// count, a code), and whether the log has said it already.
struct WindowlessResult {
    TextId sentence;
    const char* value;
    int logged;
};
// The result's line unless logged, the log's end with the exit code, and,
// unless silent, the result in a box: information for exit code 0, a
// warning for 3, an error otherwise. Returns the exit code.
unsigned WindowlessEnd(const Run& run, int silent, const WindowlessResult& result, unsigned exitCode, int kept);
// The same with a count in the sentence's place.
unsigned WindowlessEndCount(const Run& run, int silent, TextId sentence, int count, unsigned exitCode, int kept);
// Logs the heading and takes the host folder (HostChoiceWithoutWindow), a
// new string; null without one, the run's log then ended with ExitNoHost.
HeapStr WindowlessHost(const Run& run, int silent, TextId heading);
