// Linked into a test build of the installer only, never into the shipped
// program. Its hooks stand in for the installer's call of ShellExecuteExW, which
// under Wine starts the copy with the caller's own rights and shows no
// consent prompt:
// - each call is written down, one line "verb|program|parameters|hold", at
//   the end of the file named by QUILLFERN_RELAUNCH_LOG (the copy it starts
//   inherits the variable: a copy that asked again would add a line); hold
//   is "held" when the program's file could not be opened for renaming at
//   that moment, else "free";
// - with QUILLFERN_REFUSE_CONSENT set, the call fails as when the user
//   refuses the prompt, and starts nothing; with QUILLFERN_EXECUTE_ERROR
//   set to a number, it fails with that error instead (a start that failed
//   for another reason).
// - with QUILLFERN_HOLD_CONSENT naming an event, the call waits until the
//   test sets it, as the system's consent prompt waits for the user.
// With QUILLFERN_HOST_UNWRITABLE set, its test of the host folder finds it
// unwritable, so that a writable folder, where the copy can hold a file's
// place like any process, is installed by a copy with rights: refused for
// want of rights, or, set to "failed", for another reason (a read-only
// medium, which Wine reports as access denied).
// With QUILLFERN_SWAP_LOG naming a file, each new file's creation first
// tries to rename the folder it goes into, as a user swapping it for a link
// would, and puts it back: one line at the end of that file, "held" when
// the rename was refused, else "free"; a line "renamed" for each new file
// renamed over its target through its own handle, relative to a folder
// handle, by one name (Wine renames by path even then, so a swap cannot show
// it); and a line "guarded" when the run turns on the system's
// RedirectionGuard.
// With QUILLFERN_SWAP_SCRIPT naming a Linux shell script, the run pauses at
// one step, QUILLFERN_SWAP_STEP, of the file QUILLFERN_SWAP_NAME, runs the
// script, which swaps a folder from the Linux side (Linux lets a folder that
// a Windows program holds be renamed or removed), waits until the script has
// made the file QUILLFERN_SWAP_DONE, and goes on; once a run. The steps: "create"
// (just before the new file, or the log file, is made in its held folder)
// and "readback" (just before the new file is read back).
// With QUILLFERN_CHANNEL_GATE naming an event, the copy waits until it is
// set before it connects to its first copy's channel, so that another
// process can try first.
// Wine follows every link and reads none (no reparse data): where a link
// leads, which a run with rights asks before it goes through one, is
// answered from the folder that Wine's handle of it reached; a link into the
// folder QUILLFERN_REMOTE_FOLDER names stands for a link to a server, any
// other for a junction; a Linux mount, which Wine shows as a reparse point
// that its handle does not leave, for a volume mounted there.
// With QUILLFERN_NO_FINAL_PATH set, no handle's final path can be had;
// else a final path longer than MAX_PATH, which Wine refuses to give
// (ERROR_MORE_DATA whatever the room) and Windows gives, is made from the
// handle's name on its volume, the volume taken to be the temporary folder's.
// With QUILLFERN_HOLDER_PID set to a process id, the system's answer to
// which processes use an open file (which Wine does not give) is that one.
// The copy itself, before it opens its channel: with QUILLFERN_HOLD_COPY
// naming an event it waits until the test sets it; with QUILLFERN_COPY_EXIT
// it ends at once with that code (a crash's, a copy that could not find its
// folder), sending no result.
#include "app/AppHook.h"
#include <windows.h>
#include <shellapi.h>

// Long enough for any scenario's steps, short enough that a test that never
// sets the event does not hang.
constexpr DWORD HoldLimitMs = 120000;

static void HoldWhileAsked(const wchar_t* variable)
{
    wchar_t name[MAX_PATH];
    if (!GetEnvironmentVariableW(variable, name, MAX_PATH))
        return;
    HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, name);
    if (!event)
        return;
    WaitForSingleObject(event, HoldLimitMs);
    CloseHandle(event);
}

static void WriteUtf8(HANDLE file, const wchar_t* text)
{
    static char bytes[4096];
    int size = text ? WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr) : 0;
    DWORD written = 0;
    if (size > 1)
        WriteFile(file, bytes, (DWORD)size - 1, &written, nullptr);
}

// The file named by the variable, open for appending; null without it.
static HANDLE OpenLog(const wchar_t* variable)
{
    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(variable, path, MAX_PATH))
        return nullptr;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

static void NoteCall(const SHELLEXECUTEINFOW* info)
{
    HANDLE file = OpenLog(L"QUILLFERN_RELAUNCH_LOG");
    if (!file)
        return;
    WriteUtf8(file, info->lpVerb);
    WriteUtf8(file, L"|");
    WriteUtf8(file, info->lpFile);
    WriteUtf8(file, L"|");
    WriteUtf8(file, info->lpParameters);
    HANDLE rename = CreateFileW(info->lpFile, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    WriteUtf8(file, rename == INVALID_HANDLE_VALUE ? L"|held\n" : L"|free\n");
    if (rename != INVALID_HANDLE_VALUE)
        CloseHandle(rename);
    CloseHandle(file);
}

static DWORD WatchedExecute(SHELLEXECUTEINFOW* info)
{
    NoteCall(info);
    HoldWhileAsked(L"QUILLFERN_HOLD_CONSENT");
    if (GetEnvironmentVariableW(L"QUILLFERN_REFUSE_CONSENT", nullptr, 0))
        return ERROR_CANCELLED;
    wchar_t error[16] = {};
    if (GetEnvironmentVariableW(L"QUILLFERN_EXECUTE_ERROR", error, 16))
        return wcstoul(error, nullptr, 0);
    return RelaunchExecuteUnhooked(info);
}

static HostWrite WatchedCanWrite(const char* host)
{
    wchar_t how[16] = {};
    if (GetEnvironmentVariableW(L"QUILLFERN_HOST_UNWRITABLE", how, 16))
        return lstrcmpW(how, L"failed") == 0 ? HostWriteFailed : HostWriteDenied;
    return InstallationCanWriteUnhooked(host);
}

static int WatchedChannelOpen(const char* name, int nameLength)
{
    wchar_t code[16];
    if (GetEnvironmentVariableW(L"QUILLFERN_COPY_EXIT", code, 16))
        ExitProcess(wcstoul(code, nullptr, 0));
    HoldWhileAsked(L"QUILLFERN_HOLD_COPY");
    HoldWhileAsked(L"QUILLFERN_CHANNEL_GATE");
    return ChannelOpenUnhooked(name, nameLength);
}

// Tries to rename the held folder aside and back, as a user would.
static void NoteSwap(HANDLE folder)
{
    HANDLE log = OpenLog(L"QUILLFERN_SWAP_LOG");
    wchar_t path[MAX_PATH], swapped[MAX_PATH + 8];
    DWORD length = log ? GetFinalPathNameByHandleW(folder, path, MAX_PATH, FILE_NAME_NORMALIZED) : 0;
    if (length > 0 && length < MAX_PATH) {
        wsprintfW(swapped, L"%s-swap", path);
        BOOL moved = MoveFileExW(path, swapped, 0);
        if (moved)
            MoveFileExW(swapped, path, 0);
        WriteUtf8(log, moved ? L"free\n" : L"held\n");
    }
    if (log)
        CloseHandle(log);
}

// The file whose new bytes are being written, its handle and its folder's;
// the swap's step once done.
static char Writing[MAX_PATH];
static HANDLE Created;
static HANDLE CreatedIn;
static bool Swapped;

// Runs the swap script when this is its step and file.
static void SwapAt(const wchar_t* step, const char* name)
{
    wchar_t script[MAX_PATH], asked[16], done[MAX_PATH];
    char file[MAX_PATH];
    if (Swapped || !GetEnvironmentVariableW(L"QUILLFERN_SWAP_SCRIPT", script, MAX_PATH)
        || !GetEnvironmentVariableW(L"QUILLFERN_SWAP_STEP", asked, 16) || lstrcmpW(asked, step) != 0
        || !GetEnvironmentVariableA("QUILLFERN_SWAP_NAME", file, MAX_PATH) || lstrcmpiA(file, name) != 0
        || !GetEnvironmentVariableW(L"QUILLFERN_SWAP_DONE", done, MAX_PATH))
        return;
    Swapped = true;
    wchar_t line[MAX_PATH + 8];
    wsprintfW(line, L"sh %s", script);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(L"Z:\\bin\\sh", line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // Wine's handle of a Linux process does not wait for its end.
    for (DWORD start = GetTickCount(); GetTickCount() - start < HoldLimitMs; Sleep(1)) {
        if (GetFileAttributesW(done) != INVALID_FILE_ATTRIBUTES)
            return;
    }
}

static HANDLE WatchedCreateFile(HANDLE folder, const char* name)
{
    NoteSwap(folder);
    SwapAt(L"create", name);
    lstrcpynA(Writing, name, MAX_PATH);
    Created = TreeCreateFileUnhooked(folder, name);
    CreatedIn = folder;
    return Created;
}

static HANDLE WatchedOpenOrCreateFile(HANDLE folder, const char* name, int refuseLinks, int* created)
{
    SwapAt(L"create", name);
    return TreeOpenOrCreateFileUnhooked(folder, name, refuseLinks, created);
}

static int WatchedMatches(HANDLE file, const unsigned char* start, const unsigned char* end)
{
    SwapAt(L"readback", Writing);
    return FileHandleMatchesUnhooked(file, start, end);
}

static void WatchedGuard()
{
    HANDLE log = OpenLog(L"QUILLFERN_SWAP_LOG");
    if (log) {
        WriteUtf8(log, L"guarded\n");
        CloseHandle(log);
    }
    RtGuardRedirectionUnhooked();
}

// FILE_RENAME_INFORMATION, and its class.
struct RenameInformation {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    ULONG fileNameLength;
    WCHAR fileName[1];
};
constexpr int RenameClass = 10;

static RtTypeNtSetInformationFile RealSetInformation;

static NTSTATUS NTAPI NoteRename(HANDLE file, PIO_STATUS_BLOCK io, PVOID information, ULONG size, int what)
{
    auto* rename = (RenameInformation*)information;
    bool oneName = what == RenameClass;
    for (ULONG i = 0; oneName && i < rename->fileNameLength / sizeof(WCHAR); i++)
        oneName = rename->fileName[i] != L'\\';
    if (oneName && rename->replaceIfExists && file == Created && rename->rootDirectory == CreatedIn) {
        HANDLE log = OpenLog(L"QUILLFERN_SWAP_LOG");
        WriteUtf8(log, L"renamed\n");
        if (log)
            CloseHandle(log);
    }
    return RealSetInformation(file, io, information, size, what);
}

// FILE_PROCESS_IDS_USING_FILE_INFORMATION with one process, and its class.
struct ProcessIds {
    ULONG count;
    ULONG_PTR ids[1];
};
constexpr int ProcessIdsClass = 47;

static RtTypeNtQueryInformationFile RealQueryInformation;

static NTSTATUS NTAPI StandInProcessIds(HANDLE file, PIO_STATUS_BLOCK io, PVOID information, ULONG size, int what)
{
    wchar_t id[16] = {};
    if (what != ProcessIdsClass || !GetEnvironmentVariableW(L"QUILLFERN_HOLDER_PID", id, 16) || size < sizeof(ProcessIds))
        return RealQueryInformation(file, io, information, size, what);
    auto* ids = (ProcessIds*)information;
    ids->count = 1;
    ids->ids[0] = wcstoul(id, nullptr, 10);
    return 0;
}

static DWORD WINAPI NoFinalPath(HANDLE, LPWSTR, DWORD, DWORD)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
}

// FILE_NAME_INFORMATION, with room for the longest name, and its class.
struct NameInformation {
    ULONG length;
    WCHAR name[RtPathCapacity];
};
constexpr int NameClass = 9;

static RtTypeGetFinalPathNameByHandleW RealFinalPath;

static DWORD WINAPI LongFinalPath(HANDLE file, LPWSTR path, DWORD room, DWORD flags)
{
    DWORD length = RealFinalPath(file, path, room, flags);
    if (length != 0 || GetLastError() != ERROR_MORE_DATA || flags != (FILE_NAME_NORMALIZED | VOLUME_NAME_DOS))
        return length;
    static NameInformation information;
    IO_STATUS_BLOCK io = {};
    wchar_t temporary[MAX_PATH];
    auto query = (RtTypeNtQueryInformationFile)RtCallAddressUnhooked(RtCallNtQueryInformationFile);
    if (!query || query(file, &io, &information, sizeof information, NameClass) < 0
        || GetTempPathW(MAX_PATH, temporary) < 2)
        return 0;
    length = information.length / sizeof(WCHAR) + 6;
    if (length >= room) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return length + 1;
    }
    wsprintfW(path, L"\\\\?\\%c:", temporary[0]);
    CopyMemory(path + 6, information.name, information.length);
    path[length] = 0;
    return length;
}

static void (*WatchedCallAddress(RtCallId call))()
{
    void (*found)() = RtCallAddressUnhooked(call);
    if (call == RtCallGetFinalPathNameByHandleW && GetEnvironmentVariableW(L"QUILLFERN_NO_FINAL_PATH", nullptr, 0))
        return (void (*)())NoFinalPath;
    if (call == RtCallGetFinalPathNameByHandleW && found) {
        RealFinalPath = (RtTypeGetFinalPathNameByHandleW)found;
        return (void (*)())LongFinalPath;
    }
    if (call == RtCallNtQueryInformationFile && found) {
        RealQueryInformation = (RtTypeNtQueryInformationFile)found;
        return (void (*)())StandInProcessIds;
    }
    if (call != RtCallNtSetInformationFile || !found)
        return found;
    RealSetInformation = (RtTypeNtSetInformationFile)found;
    return (void (*)())NoteRename;
}

// The path without its "\\?\" prefix.
static const wchar_t* Plain(const wchar_t* path)
{
    return path[0] == L'\\' && path[1] == L'\\' && path[2] == L'?' ? path + 4 : path;
}

// 1 when the final path names an entry of the folder itself.
static bool InFolder(const wchar_t* path, const wchar_t* folder)
{
    path = Plain(path);
    folder = Plain(folder);
    int length = lstrlenW(folder);
    if (length > 0 && folder[length - 1] == L'\\')
        length--;
    if (lstrlenW(path) <= length || CompareStringOrdinal(path, length, folder, length, TRUE) != CSTR_EQUAL
        || path[length] != L'\\')
        return false;
    for (const wchar_t* c = path + length + 1; *c; c++) {
        if (*c == L'\\')
            return false;
    }
    return true;
}

// 1 when the final path ("\\?\C:\...") lies in the folder the variable names.
static bool InFolderNamed(const wchar_t* path, const wchar_t* variable)
{
    wchar_t folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(variable, folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    if (folder[length - 1] == L'\\')
        length--;
    const wchar_t* plain = Plain(path);
    return lstrlenW(plain) >= (int)length && CompareStringOrdinal(plain, length, folder, length, TRUE) == CSTR_EQUAL
        && (plain[length] == 0 || plain[length] == L'\\');
}

static TreeLinkEnd WatchedLinkTarget(HANDLE link, const wchar_t* folder, wchar_t** target)
{
    TreeLinkEnd end = TreeLinkTargetUnhooked(link, folder, target);
    if (end != TreeLinkElsewhere || GetEnvironmentVariableW(L"QUILLFERN_NO_FINAL_PATH", nullptr, 0))
        return end;
    static wchar_t reached[RtPathCapacity];
    DWORD length = GetFinalPathNameByHandleW(link, reached, RtPathCapacity, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= RtPathCapacity || InFolderNamed(reached, L"QUILLFERN_REMOTE_FOLDER"))
        return TreeLinkElsewhere;
    if (InFolder(reached, folder))
        return TreeLinkNone;
    *target = (wchar_t*)RtAlloc((length + 1) * sizeof(wchar_t));
    if (!*target)
        return TreeLinkElsewhere;
    CopyMemory(*target, reached, (length + 1) * sizeof(wchar_t));
    return TreeLinkLocal;
}

extern const RtHookTable RtHooks = {
    .TreeCreateFile = WatchedCreateFile,
    .TreeOpenOrCreateFile = WatchedOpenOrCreateFile,
    .TreeLinkTarget = WatchedLinkTarget,
    .FileHandleMatches = WatchedMatches,
    .RtGuardRedirection = WatchedGuard,
    .RtCallAddress = WatchedCallAddress,
};

extern const AppHookTable AppHooks = {
    .InstallationCanWrite = WatchedCanWrite,
    .RelaunchExecute = WatchedExecute,
    .ChannelOpen = WatchedChannelOpen,
};
