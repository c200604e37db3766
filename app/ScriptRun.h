#pragma once
// The runs a deployment tool or a help desk starts without the window:
// /UNINSTALL (UninstallRun.cpp) and /VERIFY (VerifyRun.cpp). Each logs to
// the sinks it is given, ends with one result line, shows that line in a
// box unless silent, and returns its exit code.
#include "LogSink.h"
#include "Texts.h"

struct ScriptRun {
    const char* named;          // the /D= folder (HostChoiceWithoutWindow), or null
    unsigned char language;
    const LogSinks* log;
    int silent;                 // /S: never a box
};

unsigned UninstallRun(const ScriptRun& run);
unsigned VerifyRun(const ScriptRun& run);

// "<start><count><end>" at the result start, in the run's language.
char* ScriptRunCount(const ScriptRun& run, TextId start, int count, TextId end, char* resultStart);
// The result line (none when null), the log's end with the exit code, and,
// unless silent, the result in a box: information for exit code 0, a
// warning for 3, an error otherwise. Returns the exit code.
unsigned ScriptRunEnd(const ScriptRun& run, const char* result, const char* boxText, unsigned exitCode, int kept);
// Logs the heading and takes the host folder (HostChoiceWithoutWindow), a
// new string; null without one, the run then ended with ExitNoHost.
char* ScriptRunHost(const ScriptRun& run, TextId heading);
