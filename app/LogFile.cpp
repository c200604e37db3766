#include "LogFile.h"
#include "Texts.h"
#include "runtime/File.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"
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

int LogFileOpen(const char* path)
{
    wchar_t* wide = FileWidePath(path);
    HANDLE file = wide ? CreateFileW(wide, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)
                       : INVALID_HANDLE_VALUE;
    RtFree(wide);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    if (!LogFileIsPlain(file) || !SetEndOfFile(file)) {
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
