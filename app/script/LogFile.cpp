#include "app/script/LogFile.h"
#include "app/Texts.h"
#include "runtime/File.h"
#include "runtime/Rt.h"
#include "runtime/ScopedHandle.h"
#include "runtime/Str.h"
#include "runtime/StrWide.h"
#include "runtime/Tree.h"
#include <windows.h>

static LogHandle LogFileOut;      // its file null when none is open

// A link or a second name would send the lines into a file the user did not
// name: opened without following a link, and left unchanged when either.
static int LogFileIsPlain(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION information = {};
    return GetFileInformationByHandle(file, &information)
        && !(information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))
        && information.nNumberOfLinks <= 1;
}

// With rights, a file that is there is removed through its own handle
// (when it is a plain file of one name) and a new one made in its place,
// never through a link: if another program makes one meanwhile, the log is
// refused. Null when it cannot be had.
static HANDLE LogFileReplace(HANDLE folder, const char* name, int* created)
{
    ScopedHandle old;
    TreeMiss miss = TreeOpenEntry(folder, name, TreeEntryFile, TreeEntryToRemove, 1, old.Receive());
    if (miss != TreeMissNone && miss != TreeMissAbsent)
        return nullptr;
    int removed = miss == TreeMissAbsent || (LogFileIsPlain(old.handle) && TreeDeleteOpen(old.handle));
    // The old file goes as its handle closes: only then is its name free.
    old.Close();
    if (!removed)
        return nullptr;
    HANDLE file = TreeCreateFile(folder, name);
    *created = file != nullptr;
    return file;
}

// The file is made relative to its folder, held meanwhile: a run with
// rights takes the folder only where it is reached, one name at a time,
// through no link at all (a junction in a folder a user may change would
// send the log anywhere, a symbolic link to a server would have the system
// connect there), and no file that the system followed elsewhere. A file it
// made and then refused is removed through its own handle; one that was
// there is left as it was.
int LogFileOpen(const char* path, int refuseLinks)
{
    // Its full path first: "/" and ".." are the Win32 functions' to resolve.
    HeapWideStr wide = FileWidePath(path);
    if (!wide)
        return 0;
    TempStr full = StrWorkPosition();
    StrFromWide(wide, full);
    RtFree(wide);
    StrSkipTerminator();
    TempStr folder = StrWorkPosition();
    StrPathPart(full, folder);
    StrSkipTerminator();
    ScopedHandle opened;
    int linkEnd = 0;
    TreeOpenFolder(folder, refuseLinks ? TreeReachNoLink : TreeReachByPath, opened.Receive(), &linkEnd);
    int created = 0;
    const char* name = full + StrLen(folder);
    HANDLE made = nullptr;
    if (opened.handle)
        made = refuseLinks ? LogFileReplace(opened.handle, name, &created)
                           : TreeOpenOrCreateFile(opened.handle, name, 0, &created);
    ScopedHandle file(made);
    StrRewind(full);
    if (!file.handle)
        return 0;
    if (!LogFileIsPlain(file.handle) || !SetEndOfFile(file.handle)) {
        if (created)
            TreeDeleteOpen(file.handle);
        return 0;
    }
    LogFileOut.file = file.Give();
    LogFileOut.ended = 0;
    return 1;
}

// Named, so that it lies with the constants rather than in writable data.
static const LogSink FileSink = {&LogFileOut, LogHandleLine, LogStepOn, LogHandleAskHeld, LogHandleEnd};

const LogSink& LogFileSink()
{
    return FileSink;
}

void LogFileClose(unsigned char language, unsigned exitCode)
{
    if (!LogFileOut.file)
        return;
    LogHandleClose(&LogFileOut, language, exitCode);
    CloseHandle(LogFileOut.file);
    LogFileOut.file = nullptr;
}
