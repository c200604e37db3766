// /UNINSTALL: this version's files taken away from the registered or named
// PureBasic folder, here or through a copy with rights, under the
// installation's guard; one result line at the end, in a box unless /S.
#include "app/ExitCodes.h"
#include "app/rights/Relaunch.h"
#include "app/run/Run.h"
#include "app/run/Windowless.h"
#include "app/script/ConsoleLog.h"
#include "runtime/Str.h"

// The result line and box of a removal that ran, here or through the copy.
static unsigned UninstallResult(const Run& run, int silent, const InstallationOutcome& outcome)
{
    unsigned exitCode = InstallationExitCode(outcome);
    if (outcome.end == InstallationRefused)
        return WindowlessEnd(run, silent, {TextNoRightsToRemove, nullptr, 0}, exitCode, 0);
    // The copy's failure is in the log already.
    if (outcome.end == InstallationCopyFailed) {
        RelaunchFailureText failure = RelaunchFailure(outcome);
        WindowlessEnd(run, silent, {failure.sentence, failure.code, 1}, exitCode, 0);
        StrRewind(failure.code);
        return exitCode;
    }
    if (outcome.filesNotWritten == 0)
        return WindowlessEnd(run, silent, {TextRemoved, nullptr, 0}, exitCode, 0);
    return WindowlessEndCount(run, silent, TextRemovalIncomplete, outcome.filesNotWritten, exitCode,
                             outcome.filesNotWritten);
}

unsigned UninstallRun(const CommandLine& line)
{
    Run run = RunStart(line, ConsoleLogSink());
    RunGo begun = WindowlessBegin(line, run);
    if (!begun.goesOn)
        return RunEnd(run, begun.exitCode);
    HeapStr host = WindowlessHost(run, line.silent, TextRemovalHeading);
    if (!host)
        return RunEnd(run, ExitNoHost);
    unsigned exitCode = UninstallResult(run, line.silent, RunCarryOut(run, host, nullptr));
    StrFree(host);
    return RunEnd(run, exitCode);
}
