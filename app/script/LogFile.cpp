#include "app/script/LogFile.h"
#include "app/Texts.h"
#include "runtime/File.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"
#include "runtime/Tree.h"
#include <windows.h>

static HANDLE LogFileHandle = INVALID_HANDLE_VALUE;
// The held files' lines, until the end of the installation's log.
static char* LogFileKeptLines;
static int LogFileEnded;

// A link or a second name would send the lines into a file the user did not
// name: opened without following a link, and left unchanged when either.
static int LogFileIsPlain(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION information = {};
    return GetFileInformationByHandle(file, &information)
        && !(information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))
        && information.nNumberOfLinks <= 1;
}

// A run with rights writes the log only where the name leads without a link
// (a junction in a folder a user may change would send it anywhere): the
// folder is checked before the file is made in it, the file once open.
static int LogFileWayIsPlain(const char* path)
{
    char* folder = StrWorkPosition();
    StrPathPart(path, folder);
    StrSkipTerminator();
    int plain = TreeFolderIsPlain(folder);
    StrRewind(folder);
    return plain;
}

int LogFileOpen(const char* path)
{
    int refusesLinks = TreeRefusesLinks();
    if (refusesLinks && !LogFileWayIsPlain(path))
        return 0;
    wchar_t* wide = FileWidePath(path);
    HANDLE file = wide ? CreateFileW(wide, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)
                       : INVALID_HANDLE_VALUE;
    RtFree(wide);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    if (!LogFileIsPlain(file) || (refusesLinks && !TreeReachedPlainly(file, path)) || !SetEndOfFile(file)) {
        CloseHandle(file);
        return 0;
    }
    LogFileHandle = file;
    LogFileEnded = 0;
    return 1;
}

static int LogFileLine(void*, const char* text)
{
    if (LogFileHandle != INVALID_HANDLE_VALUE)
        LogWriteLine(LogFileHandle, text);
    return 1;
}

static int LogFileAskHeld(void*, unsigned char language, const char* name, const char* holders)
{
    LogKeepHeld(&LogFileKeptLines, language, name, holders);
    return 0;
}

static void LogFileExitLine(unsigned char language, unsigned exitCode)
{
    char* line = StrWorkPosition();
    StrAppend(TextIn(TextExitCodeLine, language));
    StrFromInt((int)exitCode, StrWorkPosition());
    StrSkipTerminator();
    LogFileLine(nullptr, line);
    StrRewind(line);
    LogFileEnded = 1;
}

static void LogFileEnd(void* state, unsigned char language, unsigned exitCode, int)
{
    LogPassKept(&LogFileKeptLines, LogFileLine, state);
    LogFileExitLine(language, exitCode);
}

LogSink LogFileSink()
{
    return {nullptr, LogFileLine, LogStepOn, LogFileAskHeld, LogFileEnd};
}

void LogFileClose(unsigned char language, unsigned exitCode)
{
    if (LogFileHandle == INVALID_HANDLE_VALUE)
        return;
    if (!LogFileEnded)
        LogFileExitLine(language, exitCode);
    CloseHandle(LogFileHandle);
    LogFileHandle = INVALID_HANDLE_VALUE;
}
