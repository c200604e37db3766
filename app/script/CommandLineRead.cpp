// The program's own command line: read from the system, and its folder made
// a path. The rules themselves are in CommandLine.cpp.
#include "app/install/HostLocator.h"
#include "app/script/CommandLine.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"
#include "runtime/StrWide.h"
#include <windows.h>

// UTF-8 takes at most three bytes for each UTF-16 unit.
constexpr int CommandBytesPerUnit = 3;

static char* CommandText;

void ReadCommandLine(CommandLine* result)
{
    const wchar_t* wide = GetCommandLineW();
    // A lone surrogate becomes U+FFFD rather than failing the whole line:
    // the switches are still read, and a folder holding one is no folder.
    int units = lstrlenW(wide);
    int size = units * CommandBytesPerUnit + 1;
    CommandText = (char*)RtAllocUnzeroed((SIZE_T)size);
    int written = CommandText ? WideCharToMultiByte(CP_UTF8, 0, wide, units, CommandText, size - 1, nullptr, nullptr) : 0;
    if (CommandText)
        CommandText[written > 0 ? written : 0] = 0;
    ParseCommandLine(CommandText, result);
    // A line that could not be read may have asked for silence: nothing is
    // shown, and nothing done.
    if (!CommandText && units > 0) {
        result->understood = 0;
        result->silent = 1;
    }
}

// The path made absolute, as a new string; null when it names none.
static HeapStr CommandFullPath(const wchar_t* given)
{
    auto* full = (wchar_t*)RtAllocUnzeroed(RtPathCapacity * sizeof(wchar_t));
    DWORD length = full && given ? GetFullPathNameW(given, RtPathCapacity, full, nullptr) : 0;
    HeapStr path = nullptr;
    if (length > 0 && length < RtPathCapacity)
        StrAssign(&path, StrFromWide(full, StrWorkPosition()));
    RtFree(full);
    return path;
}

// The path's bytes in the line, made absolute; the empty string when they
// name none.
static HeapStr CommandLinePath(const char* text, int length)
{
    TempStr start = StrWorkPosition();
    StrMid(text, 1, length, start);
    StrSkipTerminator();
    HeapWideStr given = StrToWide(start);
    StrRewind(start);
    HeapStr path = CommandFullPath(given);
    RtFree(given);
    if (!path)
        StrSet(&path, "");
    return path;
}

HeapStr CommandLineFolder(const CommandLine& line)
{
    if (!line.folder)
        return nullptr;
    HeapStr path = CommandLinePath(line.folder, line.folderLength);
    if (StrLen(path) == 0)
        return path;
    HeapStr folder = HostFolderFromPath(path);
    StrFree(path);
    return folder;
}

HeapStr CommandLineLogFile(const CommandLine& line)
{
    return line.log ? CommandLinePath(line.log, line.logLength) : nullptr;
}
