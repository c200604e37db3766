// /VERIFY: whether each file this version installs is there with exactly
// its bytes. It reads and nothing more: no guard, no write test, no rights.
#include "app/ExitCodes.h"
#include "app/install/Installation.h"
#include "app/run/Run.h"
#include "app/run/ScriptLog.h"
#include "runtime/File.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"

// What one file is: this version's, missing, or anything else (changed,
// another version's, a folder of its name, unreadable). Reading follows
// links as the user's own programs do: nothing is written.
static TextId VerifyFile(const char* path, int index)
{
    wchar_t* wide = FileWidePath(path);
    HANDLE file = wide ? CreateFileW(wide, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                       : INVALID_HANDLE_VALUE;
    DWORD error = GetLastError();
    RtFree(wide);
    if (file == INVALID_HANDLE_VALUE)
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? TextMissingLabel : TextDifferentLabel;
    int same = InstallationFileIsThisVersions(file, index);
    CloseHandle(file);
    return same ? TextVerifiedLabel : TextDifferentLabel;
}

// "<label><file>" for the file; 1 when it is this version's.
static int VerifyAndLog(const Run& run, const char* host, int index)
{
    const char* name = InstallationFile(index, run.language).path;
    char* path = StrJoin(host, name);
    TextId label = VerifyFile(path, index);
    StrRewind(path);
    char* line = StrJoin(TextIn(label, run.language), name);
    LogLine(run.log, line);
    StrRewind(line);
    return label == TextVerifiedLabel;
}

static unsigned VerifyHost(const Run& run, int silent, const char* host)
{
    InstallationLogHost(run.log, host);
    int others = 0;
    for (int index = 0; index < InstalledFileCount; index++)
        others += !VerifyAndLog(run, host, index);
    if (others == 0) {
        const char* whole = TextIn(TextVerifiedWhole, run.language);
        return ScriptLogEnd(run, silent, whole, whole, ExitOk, 0);
    }
    char* result = ScriptLogCount(run, TextVerifiedNotWholeStart, others, TextVerifiedNotWholeEnd, StrWorkPosition());
    StrSkipTerminator();
    unsigned exitCode = ScriptLogEnd(run, silent, result, result, ExitIncomplete, others);
    StrRewind(result);
    return exitCode;
}

unsigned VerifyRun(const CommandLine& line)
{
    Run run = RunStart(line);
    if (!ScriptLogOpen(line, run))
        return RunEnd(run, ExitNotUnderstood);
    char* host = ScriptLogHost(run, line.silent, TextVerifyHeading);
    if (!host)
        return RunEnd(run, ExitNoHost);
    unsigned exitCode = VerifyHost(run, line.silent, host);
    StrFree(host);
    return RunEnd(run, exitCode);
}
