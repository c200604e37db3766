#include "app/install/LogSink.h"
#include "app/TextFormat.h"
#include "runtime/Str.h"
#include <windows.h>

void LogAddSink(LogSinks* log, const LogSink& sink)
{
    if (log->count < LogSinkCapacity)
        log->sinks[log->count++] = sink;
}

int LogLine(const LogSinks& log, const char* text)
{
    int taken = 0;
    for (int i = 0; i < log.count; i++) {
        int took = log.sinks[i].line(log.sinks[i].state, text ? text : "");
        if (i == 0)
            taken = took;
    }
    return taken;
}

int LogStep(const LogSinks& log, int lines)
{
    int going = 1;
    for (int i = 0; i < log.count; i++) {
        if (!log.sinks[i].step(log.sinks[i].state, lines))
            going = 0;
    }
    return going;
}

int LogAskHeld(const LogSinks& log, unsigned char language, const char* name, const char* holders)
{
    for (int i = 0; i < log.count; i++) {
        if (log.sinks[i].held(log.sinks[i].state, language, name, holders))
            return 1;
    }
    return 0;
}

void LogEnd(const LogSinks& log, unsigned char language, unsigned exitCode, int filesNotWritten)
{
    for (int i = 0; i < log.count; i++)
        log.sinks[i].end(log.sinks[i].state, language, exitCode, filesNotWritten);
}

TempStr LogHeldSentence(TextId sentence, unsigned char language, const char* name, const char* holders)
{
    return TextFormat(sentence, language, name, StrLen(holders) > 0 ? holders : TextIn(TextAnotherProgram, language));
}

// The text and CR LF in one write, so that lines from a pipe's other
// writers never cut into one, and a run cut off leaves every line written
// before. A failed write (a reader gone) is not the installation's concern.
int LogHandleLine(void* state, const char* text)
{
    auto* log = (LogHandle*)state;
    if (!log->file)
        return 1;
    TempStr line = StrWorkPosition();
    StrAppend(text);
    StrAppend("\r\n");
    DWORD written = 0;
    WriteFile(log->file, line, (DWORD)StrLen(line), &written, nullptr);
    StrRewind(line);
    return 1;
}

int LogHandleAskHeld(void* state, unsigned char language, const char* name, const char* holders)
{
    auto* log = (LogHandle*)state;
    TempStr held = LogHeldSentence(TextHeld, language, name, holders);
    TempStr lines = StrJoin(log->kept, held, "\n");
    StrSet(&log->kept, lines);
    StrRewind(held);
    return 0;
}

void LogHandlePassKept(LogHandle* log)
{
    const char* next = log->kept;
    while (next && *next) {
        int length = 0;
        while (next[length] && next[length] != '\n')
            length++;
        TempStr text = StrMid(next, 1, length, StrWorkPosition());
        StrSkipTerminator();
        LogHandleLine(log, text);
        StrRewind(text);
        next += next[length] ? length + 1 : length;
    }
    StrFree(log->kept);
    log->kept = nullptr;
}

// The same last line on standard output and in the /LOG= file: a script
// reads the result from either.
static void LogHandleExitLine(LogHandle* log, unsigned char language, unsigned exitCode)
{
    TempStr code = StrFromInt((int)exitCode, StrWorkPosition());
    StrSkipTerminator();
    LogHandleLine(log, TextFormat(TextExitCodeLine, language, code));
    StrRewind(code);
    log->ended = 1;
}

void LogHandleEnd(void* state, unsigned char language, unsigned exitCode, int)
{
    auto* log = (LogHandle*)state;
    LogHandlePassKept(log);
    LogHandleExitLine(log, language, exitCode);
}

void LogHandleClose(LogHandle* log, unsigned char language, unsigned exitCode)
{
    if (log->file && !log->ended)
        LogHandleExitLine(log, language, exitCode);
}

int LogStepOn(void*, int)
{
    return 1;
}
