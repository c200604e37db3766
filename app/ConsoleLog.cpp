#include "ConsoleLog.h"
#include "runtime/Str.h"
#include <windows.h>

static HANDLE ConsoleOutput;

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
void ConsoleLogLine(const char* text)
{
    if (!ConsoleOutput)
        return;
    char* line = StrWorkPosition();
    StrAppend(text);
    StrAppend("\r\n");
    DWORD written = 0;
    WriteFile(ConsoleOutput, line, (DWORD)StrLen(line), &written, nullptr);
    StrRewind(line);
}
