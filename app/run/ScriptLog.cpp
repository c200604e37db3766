#include "app/run/ScriptLog.h"
#include "app/ExitCodes.h"
#include "app/TextBox.h"
#include "app/TextFormat.h"
#include "app/run/HostChoice.h"
#include "app/script/ConsoleLog.h"
#include "runtime/Str.h"

// A /LOG= file that cannot be had: nothing is done, and the script is told
// which file in the log it has, on standard output.
static void RefuseLogFile(const Run& run, const char* path)
{
    char* text = TextFormat(TextLogFileFailed, run.language, path);
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

unsigned ScriptLogEnd(const Run& run, int silent, const ScriptResult& result, unsigned exitCode, int kept)
{
    if (!result.logged) {
        char* line = TextFormat(result.sentence, run.language, result.value);
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

unsigned ScriptLogEndCount(const Run& run, int silent, TextId sentence, int count, unsigned exitCode, int kept)
{
    char* digits = StrFromInt(count, StrWorkPosition());
    StrSkipTerminator();
    ScriptLogEnd(run, silent, {sentence, digits, 0}, exitCode, kept);
    StrRewind(digits);
    return exitCode;
}

char* ScriptLogHost(const Run& run, int silent, TextId heading)
{
    LogLine(run.log, TextIn(heading, run.language));
    char* host = HostChoiceWithoutWindow(run.named, InstallationReach(run.kind));
    if (StrLen(host) > 0)
        return host;
    StrFree(host);
    ScriptLogEnd(run, silent, {TextHostNotFound, nullptr, 0}, ExitNoHost, 0);
    return nullptr;
}
