// A script's /S run: the window's run without the window and without a
// word shown. The log goes to standard output (and the /LOG= file); the exit
// code says how it ended.
#include "app/ExitCodes.h"
#include "app/Texts.h"
#include "app/run/HostChoice.h"
#include "app/run/Run.h"
#include "app/run/Windowless.h"
#include "app/script/ConsoleLog.h"
#include "runtime/Str.h"

unsigned ScriptRun(const CommandLine& line)
{
    Run run = RunStart(line, ConsoleLogSink());
    RunGo begun = WindowlessBegin(line, run);
    if (!begun.goesOn)
        return RunEnd(run, begun.exitCode);
    LogLine(run.log, TextIn(TextInstallHeading, run.language));
    return RunInstallAndEnd(run, HostChoiceWithoutWindow(run.named, InstallationReach(run.kind)));
}
