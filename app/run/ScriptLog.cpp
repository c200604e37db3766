#include "app/run/ScriptLog.h"
#include "app/ExitCodes.h"
#include "app/run/HostChoice.h"
#include "app/script/ConsoleLog.h"
#include "runtime/Req.h"
#include "runtime/Str.h"

// A /LOG= file that cannot be had: nothing is done, and the script is told
// which file in the log it has, on standard output.
static void RefuseLogFile(const Run& run, const char* path)
{
    char* text = StrJoin(TextIn(TextLogFileFailed, run.language), path);
    LogLine(run.log, text);
    StrRewind(text);
}

int ScriptLogOpen(const CommandLine& line, Run& run)
{
    ConsoleLogOpen();
    LogAddSink(&run.log, ConsoleLogSink());
    char* refusedLog = RunOpenLogFile(line, run);
    if (!refusedLog)
        return 1;
    RefuseLogFile(run, refusedLog);
    StrFree(refusedLog);
    return 0;
}

int ScriptLogBegin(const CommandLine& line, Run& run, unsigned* exitCode)
{
    *exitCode = ExitOk;
    if (!RunHoldInstallation(line, exitCode))
        return 0;
    *exitCode = ExitNotUnderstood;
    return ScriptLogOpen(line, run);
}

char* ScriptLogCount(const Run& run, TextId start, int count, TextId end, char* resultStart)
{
    StrRewind(resultStart);
    StrAppend(TextIn(start, run.language));
    StrFromInt(count, StrWorkPosition());
    StrAppend(TextIn(end, run.language));
    return resultStart;
}

unsigned ScriptLogEnd(const Run& run, int silent, const char* result, const char* boxText, unsigned exitCode,
                      int kept)
{
    if (result)
        LogLine(run.log, result);
    LogEnd(run.log, run.language, exitCode, kept);
    if (silent)
        return exitCode;
    // Set in by blanks as the installer's other messages.
    char* text = StrJoin("      ", boxText);
    UINT icon = exitCode == ExitOk ? MB_ICONINFORMATION : exitCode == ExitIncomplete ? MB_ICONWARNING : MB_ICONSTOP;
    TextId title = exitCode == ExitOk || exitCode == ExitIncomplete ? TextInfoTitle : TextErrorTitle;
    ReqMessage(TextIn(title, run.language), text, MB_OK | icon);
    StrRewind(text);
    return exitCode;
}

char* ScriptLogHost(const Run& run, int silent, TextId heading)
{
    LogLine(run.log, TextIn(heading, run.language));
    char* host = HostChoiceWithoutWindow(run.named, InstallationReach(run.kind));
    if (StrLen(host) > 0)
        return host;
    StrFree(host);
    const char* result = TextIn(TextHostNotFound, run.language);
    ScriptLogEnd(run, silent, result, result, ExitNoHost, 0);
    return nullptr;
}
