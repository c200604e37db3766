// /VERIFY: whether each file this version installs is there with exactly
// its bytes. It reads and nothing more: no guard, no write test, no rights.
#include "ExitCodes.h"
#include "Installation.h"
#include "ScriptRun.h"
#include "runtime/File.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"

// What one file is: this version's, missing, or anything else (changed,
// another version's, a folder of its name, unreadable).
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
static int VerifyAndLog(const ScriptRun& run, const char* host, int index)
{
    const char* name = InstallationFile(index, run.language).path;
    char* path = StrWorkPosition();
    StrAppend(host);
    StrAppend(name);
    StrSkipTerminator();
    TextId label = VerifyFile(path, index);
    StrRewind(path);
    char* line = StrWorkPosition();
    StrAppend(TextIn(label, run.language));
    StrAppend(name);
    StrSkipTerminator();
    LogLine(*run.log, line);
    StrRewind(line);
    return label == TextVerifiedLabel;
}

unsigned VerifyRun(const ScriptRun& run)
{
    char* host = ScriptRunHost(run, TextVerifyHeading);
    if (!host)
        return ExitNoHost;
    char* heading = StrWorkPosition();
    StrAppend(host);
    StrAppend(" . . .");
    StrSkipTerminator();
    LogLine(*run.log, heading);
    StrRewind(heading);
    int others = 0;
    for (int index = 0; index < InstalledFileCount; index++)
        others += !VerifyAndLog(run, host, index);
    StrFree(host);
    if (others == 0) {
        const char* whole = TextIn(TextVerifiedWhole, run.language);
        return ScriptRunEnd(run, whole, whole, ExitOk, 0);
    }
    char* result = ScriptRunCount(run, TextVerifiedNotWholeStart, others, TextVerifiedNotWholeEnd, StrWorkPosition());
    StrSkipTerminator();
    unsigned exitCode = ScriptRunEnd(run, result, result, ExitIncomplete, others);
    StrRewind(result);
    return exitCode;
}
