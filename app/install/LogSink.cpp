#include "app/install/LogSink.h"
#include "app/Texts.h"
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

char* LogHeldSentence(unsigned char language, const char* name, const char* holders, char* resultStart)
{
    StrRewind(resultStart);
    StrAppend(TextIn(TextHeldStart, language));
    StrAppend(name);
    StrAppend(TextIn(TextHeldBy, language));
    StrAppend(StrLen(holders) > 0 ? holders : TextIn(TextAnotherProgram, language));
    StrAppend(TextIn(TextHeldEnd, language));
    return resultStart;
}

void LogKeepHeld(char** kept, unsigned char language, const char* name, const char* holders)
{
    char* lines = StrWorkPosition();
    StrAppend(*kept);
    LogHeldSentence(language, name, holders, StrWorkPosition());
    StrAppend("\n");
    StrAssign(kept, lines);
}

void LogPassKept(char** kept, int (*line)(void* state, const char* text), void* state)
{
    const char* next = *kept;
    while (next && *next) {
        int length = 0;
        while (next[length] && next[length] != '\n')
            length++;
        char* text = StrMid(next, 1, length, StrWorkPosition());
        StrSkipTerminator();
        line(state, text);
        StrRewind(text);
        next += next[length] ? length + 1 : length;
    }
    StrFree(*kept);
    *kept = nullptr;
}

void LogWriteLine(void* file, const char* text)
{
    char* line = StrWorkPosition();
    StrAppend(text);
    StrAppend("\r\n");
    DWORD written = 0;
    WriteFile(file, line, (DWORD)StrLen(line), &written, nullptr);
    StrRewind(line);
}

int LogStepOn(void*, int)
{
    return 1;
}
