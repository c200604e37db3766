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
    if (outcome.end == InstallationRefused)
        return ScriptLogEnd(run, silent, {TextNoRightsToRemove, nullptr, 0}, exitCode, 0);
    // The copy's failure is in the log already.
    if (outcome.end == InstallationCopyFailed) {
        RelaunchFailureText failure = RelaunchFailure(outcome);
        ScriptLogEnd(run, silent, {failure.sentence, failure.code, 1}, exitCode, 0);
        StrRewind(failure.code);
        return exitCode;
    }
    if (outcome.filesNotWritten == 0)
        return ScriptLogEnd(run, silent, {TextRemoved, nullptr, 0}, exitCode, 0);
    return ScriptLogEndCount(run, silent, TextRemovalIncomplete, outcome.filesNotWritten, exitCode,
                             outcome.filesNotWritten);
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
