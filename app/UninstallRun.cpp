// /UNINSTALL: this version's files taken away from the registered or named
// PureBasic folder, here or through a copy with rights, under the
// installation's guard; one result line at the end.
#include "ExitCodes.h"
#include "Relaunch.h"
#include "ScriptRun.h"
#include "runtime/Str.h"

unsigned UninstallRun(const ScriptRun& run)
{
    char* host = ScriptRunHost(run, TextRemovalHeading);
    if (!host)
        return ExitNoHost;
    InstallationOutcome outcome = RelaunchWhereNeeded({run.language, host, run.log, 1}, nullptr);
    StrFree(host);
    unsigned exitCode = InstallationExitCode(outcome);
    if (outcome.end == InstallationRefused) {
        const char* refused = TextIn(TextNoRightsToRemove, run.language);
        return ScriptRunEnd(run, refused, refused, exitCode, 0);
    }
    // The copy's failure is in the log already.
    if (outcome.end == InstallationCopyFailed) {
        char* failure = RelaunchFailure(run.language, outcome, StrWorkPosition());
        StrSkipTerminator();
        ScriptRunEnd(run, nullptr, failure, exitCode, 0);
        StrRewind(failure);
        return exitCode;
    }
    if (outcome.filesNotWritten == 0) {
        const char* removed = TextIn(TextRemoved, run.language);
        return ScriptRunEnd(run, removed, removed, exitCode, 0);
    }
    char* result = ScriptRunCount(run, TextRemovalIncompleteStart, outcome.filesNotWritten, TextRemovalIncompleteEnd,
                                  StrWorkPosition());
    StrSkipTerminator();
    ScriptRunEnd(run, result, result, exitCode, outcome.filesNotWritten);
    StrRewind(result);
    return exitCode;
}
