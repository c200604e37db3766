#include "Tree.h"
#include "File.h"
#include "Rt.h"
#include "RtToken.h"
#include "Str.h"
#include "StrWide.h"

// Functions of Windows Vista on, looked up so that the program still starts
// on older systems; there, FILE_FLAG_OPEN_REPARSE_POINT alone keeps a link
// from being followed.
using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
using CompareOrdinalFunction = int(WINAPI*)(LPCWSTR, int, LPCWSTR, int, BOOL);
using SetInformationFunction = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

constexpr int TreeTableStep = 16;
// A folder held: listed (so that its sharing counts), its contents open to
// others, the folder itself neither renamed nor removed meanwhile.
constexpr DWORD TreeFolderAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
constexpr DWORD TreeFolderSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD TreeEverySharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

static HANDLE* TreeHeld;
static int TreeCapacity;
static int TreeCount;

static void (*TreeFunction(const char* name))()
{
    return (void (*)())GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name);
}

// The account's token: elevated, or the system's own account.
int TreeRefusesLinks()
{
    TOKEN_ELEVATION elevation = {};
    int known = RtOwnToken(TokenElevation, &elevation, sizeof elevation);
    // A token that cannot be read may hold any rights.
    if (known < 0 || (known > 0 && elevation.TokenIsElevated))
        return 1;
    RtTokenUser user;
    return RtOwnToken(TokenUser, &user, sizeof user) > 0 && IsWellKnownSid(user.user.User.Sid, WinLocalSystemSid);
}

static HANDLE TreeOpen(const wchar_t* path, DWORD access, DWORD sharing, DWORD flags)
{
    HANDLE handle = CreateFileW(path, access, sharing, nullptr, OPEN_EXISTING, flags, nullptr);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

// The handle's final path, in a new heap block; null where the system
// cannot tell it.
static wchar_t* TreeFinalPath(HANDLE handle)
{
    auto finalPath = (FinalPathFunction)TreeFunction("GetFinalPathNameByHandleW");
    auto* path = finalPath ? (wchar_t*)RtAllocUnzeroed(RtPathCapacity * sizeof(wchar_t)) : nullptr;
    DWORD length = path ? finalPath(handle, path, RtPathCapacity, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS) : 0;
    if (length == 0 || length >= RtPathCapacity) {
        RtFree(path);
        return nullptr;
    }
    return path;
}

// The plain form of a path: "\\?\C:\x" as "C:\x", "\\?\UNC\s\x" as "\\s\x"
// (its first backslash is then the one before "UNC" less its letters).
static const wchar_t* TreePlainForm(const wchar_t* path, int* unc)
{
    *unc = 0;
    if (path[0] != L'\\' || path[1] != L'\\' || path[2] != L'?' || path[3] != L'\\')
        return path;
    path += 4;
    if (path[0] == L'U' && path[1] == L'N' && path[2] == L'C' && path[3] == L'\\') {
        *unc = 1;
        return path + 3;
    }
    return path;
}

static int TreeLength(const wchar_t* path)
{
    int length = 0;
    while (path[length])
        length++;
    // A trailing backslash names the same folder.
    if (length > 0 && path[length - 1] == L'\\')
        length--;
    return length;
}

// 1 when both name the same entry, whatever their form and letter case.
static int TreeSamePath(const wchar_t* asked, const wchar_t* found)
{
    auto compare = (CompareOrdinalFunction)TreeFunction("CompareStringOrdinal");
    int askedUnc = 0, foundUnc = 0;
    asked = TreePlainForm(asked, &askedUnc);
    found = TreePlainForm(found, &foundUnc);
    // "\s\x" against "\\s\x": the UNC form keeps one backslash of the two.
    if (foundUnc && !askedUnc && asked[0] == L'\\')
        asked++;
    if (askedUnc && !foundUnc && found[0] == L'\\')
        found++;
    // Both functions came with Windows Vista: without one, the final path is
    // not known either.
    return !compare || compare(asked, TreeLength(asked), found, TreeLength(found), TRUE) == CSTR_EQUAL;
}

// A handle opened on a link itself shows it in its attributes; one that the
// system followed anyway (Wine follows every link) leads elsewhere than the
// path asked.
static int TreeIsLink(HANDLE handle, const wchar_t* asked)
{
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(handle, &information)
        || (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return 1;
    wchar_t* found = TreeFinalPath(handle);
    int elsewhere = found && !TreeSamePath(asked, found);
    RtFree(found);
    return elsewhere;
}

static int TreeKeep(HANDLE handle)
{
    if (!RtTableReserve((void**)&TreeHeld, &TreeCapacity, TreeCount, TreeTableStep, sizeof(HANDLE))) {
        CloseHandle(handle);
        return 0;
    }
    TreeHeld[TreeCount++] = handle;
    return 1;
}

int TreeFinalFolder(const char* folder, char* resultStart)
{
    wchar_t* path = FileWidePath(folder);
    HANDLE handle = path ? TreeOpen(path, TreeFolderAccess, TreeFolderSharing, FILE_FLAG_BACKUP_SEMANTICS) : nullptr;
    if (!handle || !TreeKeep(handle)) {
        RtFree(path);
        return 0;
    }
    wchar_t* found = TreeFinalPath(handle);
    int unc = 0;
    const wchar_t* plain = TreePlainForm(found ? found : path, &unc);
    StrMid(unc ? "\\" : "", 1, 1, resultStart);
    StrFromWide(plain, StrWorkPosition());
    int length = StrLen(resultStart);
    if (length > 0 && resultStart[length - 1] != '\\')
        StrAppend("\\");
    RtFree(found);
    RtFree(path);
    return length > 0;
}

// 1 when the folder is held and no link, 0 when it cannot be opened, -1
// when it is a link.
static int TreeHoldFolder(const char* folder)
{
    wchar_t* path = FileWidePath(folder);
    HANDLE handle = path ? TreeOpen(path, TreeFolderAccess, TreeFolderSharing,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT)
                         : nullptr;
    int link = handle && TreeIsLink(handle, path);
    RtFree(path);
    if (!handle)
        return 0;
    if (link) {
        CloseHandle(handle);
        return -1;
    }
    return TreeKeep(handle);
}

// 1 when the file is absent or no link.
static int TreeFileIsNoLink(const char* file)
{
    wchar_t* path = FileWidePath(file);
    HANDLE handle = path ? TreeOpen(path, FILE_READ_ATTRIBUTES, TreeEverySharing, FILE_FLAG_OPEN_REPARSE_POINT)
                         : nullptr;
    int link = handle && TreeIsLink(handle, path);
    if (handle)
        CloseHandle(handle);
    RtFree(path);
    return !link;
}

// The root and the first `length` bytes of relative, side by side in the
// work buffer; the caller rewinds to the returned start.
static char* TreeJoin(const char* root, const char* relative, int length)
{
    char* start = StrWorkPosition();
    StrAppend(root);
    StrMid(relative, 1, length, StrWorkPosition());
    StrSkipTerminator();
    return start;
}

int TreeHoldWay(const char* root, const char* relative, int* linkEnd)
{
    *linkEnd = 0;
    int held = TreeHoldFolder(root);
    if (held <= 0) {
        *linkEnd = held;
        return 0;
    }
    int i = 0;
    for (; relative[i]; i++) {
        // An empty part (two backslashes) names no folder of its own.
        if (relative[i] != '\\' || i == 0 || relative[i - 1] == '\\')
            continue;
        char* folder = TreeJoin(root, relative, i + 1);
        held = TreeHoldFolder(folder);
        StrRewind(folder);
        if (held <= 0) {
            *linkEnd = held < 0 ? i : 0;
            return 0;
        }
    }
    if (i == 0 || relative[i - 1] == '\\')
        return 1;
    char* file = TreeJoin(root, relative, i);
    int noLink = TreeFileIsNoLink(file);
    StrRewind(file);
    if (!noLink)
        *linkEnd = i;
    return noLink;
}

int TreeFolderIsPlain(const char* folder)
{
    wchar_t* path = FileWidePath(folder);
    HANDLE handle = path ? TreeOpen(path, FILE_READ_ATTRIBUTES, TreeEverySharing,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT)
                         : nullptr;
    int plain = handle && !TreeIsLink(handle, path);
    if (handle)
        CloseHandle(handle);
    RtFree(path);
    return plain;
}

int TreeReachedPlainly(HANDLE handle, const char* path)
{
    wchar_t* wide = FileWidePath(path);
    int plain = wide && !TreeIsLink(handle, wide);
    RtFree(wide);
    return plain;
}

int TreeMarkForRemoval(HANDLE handle)
{
    auto setInformation = (SetInformationFunction)TreeFunction("SetFileInformationByHandle");
    FILE_DISPOSITION_INFO disposition = {TRUE};
    if (!setInformation)
        return -1;
    return setInformation(handle, FileDispositionInfo, &disposition, sizeof disposition) ? 1 : 0;
}

int TreeRemoveFile(const char* path)
{
    wchar_t* wide = FileWidePath(path);
    // Without backup semantics a folder does not open.
    HANDLE handle = wide ? TreeOpen(wide, DELETE | FILE_READ_ATTRIBUTES, TreeEverySharing, FILE_FLAG_OPEN_REPARSE_POINT)
                         : nullptr;
    int removable = handle && !TreeIsLink(handle, wide);
    int removed = removable ? TreeMarkForRemoval(handle) : 0;
    if (handle)
        CloseHandle(handle);
    // Before Windows Vista: by its name, which the open has just shown to be
    // no link.
    if (removed < 0)
        removed = DeleteFileW(wide) ? 1 : 0;
    RtFree(wide);
    return removed;
}

void TreeRelease()
{
    for (int i = 0; i < TreeCount; i++)
        CloseHandle(TreeHeld[i]);
    RtFree(TreeHeld);
    TreeHeld = nullptr;
    TreeCapacity = 0;
    TreeCount = 0;
}
