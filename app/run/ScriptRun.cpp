// A script's /S run: the window's run without the window and without a
// word shown. The log goes to standard output (and the /LOG= file); the exit
// code says how it ended.
#include "app/ExitCodes.h"
#include "app/Texts.h"
#include "app/run/HostChoice.h"
#include "app/run/Run.h"
#include "app/script/ConsoleLog.h"
#include "runtime/Str.h"

// A /LOG= file that cannot be had: nothing is installed, and the script is
// told which file in the log it has, on standard output.
static void RefuseLogFile(const Run& run, const char* path)
{
    char* text = StrWorkPosition();
    StrAppend(TextIn(TextLogFileFailed, run.language));
    StrAppend(path);
    StrSkipTerminator();
    LogLine(run.log, text);
    StrRewind(text);
}

unsigned ScriptRun(const CommandLine& line)
{
    Run run = RunStart(line);
    unsigned exitCode = ExitOk;
    if (!RunHoldInstallation(line, &exitCode))
        return RunEnd(run, exitCode);
    ConsoleLogOpen();
    LogAddSink(&run.log, ConsoleLogSink());
    char* refusedLog = RunOpenLogFile(line, run);
    if (refusedLog) {
        RefuseLogFile(run, refusedLog);
        StrFree(refusedLog);
        return RunEnd(run, ExitNotUnderstood);
    }
    LogLine(run.log, TextIn(TextInstallHeading, run.language));
    char* host = HostChoiceWithoutWindow(run.named);
    if (StrLen(host) == 0)
        return RunEnd(run, ExitNoHost);
    exitCode = InstallationExitCode(RunInstall(run, host, nullptr));
    StrFree(host);
    return RunEnd(run, exitCode);
}
