#include "app/script/ConsoleLog.h"
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

static int ConsoleLogLine(void*, const char* text)
{
    if (ConsoleOutput)
        LogWriteLine(ConsoleOutput, text);
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

// Named, so that it lies with the constants rather than in writable data.
static const LogSink ConsoleSink = {nullptr, ConsoleLogLine, LogStepOn, ConsoleLogAskHeld, ConsoleLogEnd};

LogSink ConsoleLogSink()
{
    return ConsoleSink;
}
