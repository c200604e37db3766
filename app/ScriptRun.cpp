#include "ScriptRun.h"
#include "ExitCodes.h"
#include "HostChoice.h"
#include "runtime/Req.h"
#include "runtime/Str.h"

char* ScriptRunCount(const ScriptRun& run, TextId start, int count, TextId end, char* resultStart)
{
    StrRewind(resultStart);
    StrAppend(TextIn(start, run.language));
    StrFromInt(count, StrWorkPosition());
    StrAppend(TextIn(end, run.language));
    return resultStart;
}

unsigned ScriptRunEnd(const ScriptRun& run, const char* result, const char* boxText, unsigned exitCode, int kept)
{
    if (result)
        LogLine(*run.log, result);
    LogEnd(*run.log, run.language, exitCode, kept);
    if (run.silent)
        return exitCode;
    // Set in by blanks as the installer's other messages.
    char* text = StrWorkPosition();
    StrAppend("      ");
    StrAppend(boxText);
    StrSkipTerminator();
    UINT icon = exitCode == ExitOk ? MB_ICONINFORMATION : exitCode == ExitIncomplete ? MB_ICONWARNING : MB_ICONSTOP;
    TextId title = exitCode == ExitOk || exitCode == ExitIncomplete ? TextInfoTitle : TextErrorTitle;
    ReqMessage(TextIn(title, run.language), text, MB_OK | icon);
    StrRewind(text);
    return exitCode;
}

char* ScriptRunHost(const ScriptRun& run, TextId heading)
{
    LogLine(*run.log, TextIn(heading, run.language));
    char* host = HostChoiceWithoutWindow(run.named);
    if (StrLen(host) > 0)
        return host;
    StrFree(host);
    const char* result = TextIn(TextHostNotFound, run.language);
    ScriptRunEnd(run, result, result, ExitNoHost, 0);
    return nullptr;
}
