#include "app/script/ConsoleLog.h"
#include <windows.h>

static LogHandle ConsoleLog;

void ConsoleLogOpen()
{
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD type = output && output != INVALID_HANDLE_VALUE ? GetFileType(output) : FILE_TYPE_UNKNOWN;
    // A console or no handle at all: a program without a console of its own
    // has nothing to show a line in.
    ConsoleLog.file = type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE ? output : nullptr;
}

// Named, so that it lies with the constants rather than in writable data.
static const LogSink ConsoleSink = {&ConsoleLog, LogHandleLine, LogStepOn, LogHandleAskHeld, LogHandleEnd};

const LogSink& ConsoleLogSink()
{
    return ConsoleSink;
}

void ConsoleLogClose(unsigned char language, unsigned exitCode)
{
    LogHandleClose(&ConsoleLog, language, exitCode);
    ConsoleLog.file = nullptr;
}
