// The program's own command line: read from the system, and its folder made
// a path. The rules themselves are in CommandLine.cpp.
#include "CommandLine.h"
#include "HostLocator.h"
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
    if (!CommandText && units > 0)
        *result = {0, 1, 0, CommandLanguageNone, nullptr, 0, nullptr};
}

static char* CommandFullFolder(const wchar_t* given)
{
    auto* full = (wchar_t*)RtAllocUnzeroed(RtPathCapacity * sizeof(wchar_t));
    DWORD length = full && given ? GetFullPathNameW(given, RtPathCapacity, full, nullptr) : 0;
    char* folder = nullptr;
    if (length > 0 && length < RtPathCapacity) {
        char* start = StrFromWide(full, StrWorkPosition());
        StrSkipTerminator();
        folder = HostFolderFromPath(start);
        StrRewind(start);
    }
    RtFree(full);
    return folder;
}

char* CommandLineFolder(const CommandLine& line)
{
    if (!line.folder)
        return nullptr;
    char* start = StrWorkPosition();
    StrMid(line.folder, 1, line.folderLength, start);
    StrSkipTerminator();
    wchar_t* given = StrToWide(start);
    StrRewind(start);
    char* folder = CommandFullFolder(given);
    RtFree(given);
    if (!folder)
        StrSet(&folder, "");
    return folder;
}
