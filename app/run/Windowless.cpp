#include "app/run/Windowless.h"
#include "app/ExitCodes.h"
#include "app/TextBox.h"
#include "app/TextFormat.h"
#include "app/run/HostChoice.h"
#include "app/script/ConsoleLog.h"
#include "runtime/Str.h"

// A /LOG= file that cannot be had: nothing is done, and the script is told
// which file in the log it has, on standard output.
static void RefuseLogFile(const CommandLine& line, const Run& run)
{
    HeapStr path = CommandLineLogFile(line);
    TempStr text = TextFormat(TextLogFileFailed, run.language, path);
    LogLine(run.log, text);
    StrRewind(text);
    StrFree(path);
}

int WindowlessOpen(const CommandLine& line, Run& run)
{
    ConsoleLogOpen();
    if (RunOpenLogFile(line, run))
        return 1;
    RefuseLogFile(line, run);
    return 0;
}

RunGo WindowlessBegin(const CommandLine& line, Run& run)
{
    RunGo hold = RunHoldInstallation(line, run);
    if (!hold.goesOn)
        return hold;
    if (!WindowlessOpen(line, run))
        return {0, ExitNotUnderstood};
    return {1, ExitOk};
}

unsigned WindowlessEnd(const Run& run, int silent, const WindowlessResult& result, unsigned exitCode, int kept)
{
    if (!result.logged) {
        TempStr line = TextFormat(result.sentence, run.language, result.value);
        LogLine(run.log, line);
        StrRewind(line);
    }
    LogEnd(run.log, run.language, exitCode, kept);
    if (silent)
        return exitCode;
    UINT icon = exitCode == ExitOk ? MB_ICONINFORMATION : exitCode == ExitIncomplete ? MB_ICONWARNING : MB_ICONSTOP;
    TextId title = exitCode == ExitOk || exitCode == ExitIncomplete ? TextInfoTitle : TextErrorTitle;
    TextBox(title, result.sentence, run.language, MB_OK | icon, result.value);
    return exitCode;
}

unsigned WindowlessEndCount(const Run& run, int silent, TextId sentence, int count, unsigned exitCode, int kept)
{
    TempStr digits = StrFromInt(count, StrWorkPosition());
    StrSkipTerminator();
    WindowlessEnd(run, silent, {sentence, digits, 0}, exitCode, kept);
    StrRewind(digits);
    return exitCode;
}

HeapStr WindowlessHost(const Run& run, int silent, TextId heading)
{
    LogLine(run.log, TextIn(heading, run.language));
    HeapStr host = HostChoiceWithoutWindow(run.named, InstallationReach(run.kind));
    if (StrLen(host) > 0)
        return host;
    StrFree(host);
    WindowlessEnd(run, silent, {TextHostNotFound, nullptr, 0}, ExitNoHost, 0);
    return nullptr;
}
