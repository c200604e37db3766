#include "ConsoleLog.h"
#include "runtime/Str.h"
#include <windows.h>

static HANDLE ConsoleOutput;
// The held files' lines, until the end of the installation's log.
static char* ConsoleKeptLines;

void ConsoleLogOpen()
{
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD type = output && output != INVALID_HANDLE_VALUE ? GetFileType(output) : FILE_TYPE_UNKNOWN;
    // A console or no handle at all: a program without a console of its own
    // has nothing to show a line in.
    ConsoleOutput = type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE ? output : nullptr;
}

// One write per line, so that lines from a pipe's other writers never cut
// into one. A failed write (a reader gone) is not the installation's concern.
static int ConsoleLogLine(void*, const char* text)
{
    if (!ConsoleOutput)
        return 1;
    char* line = StrWorkPosition();
    StrAppend(text);
    StrAppend("\r\n");
    DWORD written = 0;
    WriteFile(ConsoleOutput, line, (DWORD)StrLen(line), &written, nullptr);
    StrRewind(line);
    return 1;
}

// No list to scroll and no one to pause for.
static int ConsoleLogStep(void*, int)
{
    return 1;
}

static int ConsoleLogAskHeld(void*, unsigned char language, const char* name, const char* holders)
{
    LogKeepHeld(&ConsoleKeptLines, language, name, holders);
    return 0;
}

// The exit code says the rest.
static void ConsoleLogEnd(void* state, unsigned char, unsigned, int)
{
    LogPassKept(&ConsoleKeptLines, ConsoleLogLine, state);
}

LogSink ConsoleLogSink()
{
    return {nullptr, ConsoleLogLine, ConsoleLogStep, ConsoleLogAskHeld, ConsoleLogEnd};
}
