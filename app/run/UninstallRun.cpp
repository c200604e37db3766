// /UNINSTALL: this version's files taken away from the registered or named
// PureBasic folder, here or through a copy with rights, under the
// installation's guard; one result line at the end, in a box unless /S.
#include "app/ExitCodes.h"
#include "app/rights/Relaunch.h"
#include "app/run/Run.h"
#include "app/run/ScriptLog.h"
#include "runtime/Str.h"

// The result line and box of a removal that ran, here or through the copy.
static unsigned UninstallResult(const Run& run, int silent, const InstallationOutcome& outcome)
{
    unsigned exitCode = InstallationExitCode(outcome);
    if (outcome.end == InstallationRefused) {
        const char* refused = TextIn(TextNoRightsToRemove, run.language);
        return ScriptLogEnd(run, silent, refused, refused, exitCode, 0);
    }
    // The copy's failure is in the log already.
    if (outcome.end == InstallationCopyFailed) {
        char* failure = RelaunchFailure(run.language, outcome, StrWorkPosition());
        StrSkipTerminator();
        ScriptLogEnd(run, silent, nullptr, failure, exitCode, 0);
        StrRewind(failure);
        return exitCode;
    }
    if (outcome.filesNotWritten == 0) {
        const char* removed = TextIn(TextRemoved, run.language);
        return ScriptLogEnd(run, silent, removed, removed, exitCode, 0);
    }
    char* result = ScriptLogCount(run, TextRemovalIncompleteStart, outcome.filesNotWritten, TextRemovalIncompleteEnd,
                                  StrWorkPosition());
    StrSkipTerminator();
    ScriptLogEnd(run, silent, result, result, exitCode, outcome.filesNotWritten);
    StrRewind(result);
    return exitCode;
}

unsigned UninstallRun(const CommandLine& line)
{
    Run run = RunStart(line);
    unsigned exitCode = ExitOk;
    if (!ScriptLogBegin(line, run, &exitCode))
        return RunEnd(run, exitCode);
    char* host = ScriptLogHost(run, line.silent, TextRemovalHeading);
    if (!host)
        return RunEnd(run, ExitNoHost);
    exitCode = UninstallResult(run, line.silent, RunCarryOut(run, host, nullptr));
    StrFree(host);
    return RunEnd(run, exitCode);
}
