#include "Tree.h"
#include "File.h"
#include "Rt.h"
#include "RtCalls.h"
#include "Str.h"
#include "StrWide.h"
#include <stddef.h>

constexpr int TreeTableStep = 16;
// A folder held: listed (so that its sharing counts), its contents open to
// others, the folder itself neither renamed nor removed meanwhile.
constexpr DWORD TreeFolderAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_TRAVERSE | SYNCHRONIZE;
constexpr DWORD TreeFolderSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD TreeEverySharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A new file, as the file service writes it: others may read it, no more.
constexpr DWORD TreeNewFileAccess = GENERIC_READ | GENERIC_WRITE | DELETE;

// NtCreateFile's dispositions, options and answers (the driver kit's names).
constexpr ULONG TreeOpenExisting = 1;           // FILE_OPEN
constexpr ULONG TreeCreateOnly = 2;             // FILE_CREATE
constexpr ULONG TreeOpenOrCreate = 3;           // FILE_OPEN_IF
constexpr ULONG TreeFolderOnly = 0x00000001;    // FILE_DIRECTORY_FILE
constexpr ULONG TreeSynchronous = 0x00000020;   // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG TreeFileOnly = 0x00000040;      // FILE_NON_DIRECTORY_FILE
constexpr ULONG TreeLinkItself = 0x00200000;    // FILE_OPEN_REPARSE_POINT
constexpr ULONG_PTR TreeWasCreated = 2;         // FILE_CREATED
constexpr LONG TreeAccessDenied = (LONG)0xC0000022;
constexpr LONG TreeSharingViolation = (LONG)0xC0000043;
// NtSetInformationFile's classes.
constexpr int TreeRenameClass = 10;             // FileRenameInformation
constexpr int TreeDispositionClass = 13;        // FileDispositionInformation

// FILE_RENAME_INFORMATION: the name follows the structure.
struct TreeRenameInformation {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    ULONG fileNameLength;
    WCHAR fileName[1];
};

// A folder held, and its final path once asked: Windows renames neither a
// held folder nor a folder above it, and Wine names a handle by the path it
// was opened by, so the system would tell the same path again until the
// folder is let go: its children are checked against it without asking.
struct TreeHeldFolder {
    HANDLE handle;
    wchar_t* path;
};

static TreeHeldFolder* TreeHeld;
static int TreeCapacity;
static int TreeCount;

static HANDLE TreeOpen(const wchar_t* path, DWORD access, DWORD sharing, DWORD flags)
{
    HANDLE handle = CreateFileW(path, access, sharing, nullptr, OPEN_EXISTING, flags, nullptr);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

// Where the system writes a final path, in zeroed data that costs the
// file nothing: a held folder's path is then kept in a block of its size.
static wchar_t TreePathAnswer[RtPathCapacity];

// The handle's final path, in a new heap block; null where the system
// cannot tell it.
static wchar_t* TreeFinalPath(HANDLE handle)
{
    auto finalPath = RtGetFinalPathNameByHandleW();
    DWORD length = finalPath ? finalPath(handle, TreePathAnswer, RtPathCapacity, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS) : 0;
    auto* path = length > 0 && length < RtPathCapacity ? (wchar_t*)RtAllocUnzeroed((length + 1) * sizeof(wchar_t))
                                                        : nullptr;
    for (DWORD i = 0; path && i <= length; i++)
        path[i] = TreePathAnswer[i];
    return path;
}

// One form for both ways of writing a path: "\\?\C:\x" as "C:\x"; a
// server's, "\\?\UNC\s\x" or "\\s\x", as "\s\x" (the UNC form keeps one
// backslash of the two).
static const wchar_t* TreePlainForm(const wchar_t* path)
{
    if (path[0] != L'\\' || path[1] != L'\\')
        return path;
    if (path[2] != L'?' || path[3] != L'\\')
        return path + 1;
    path += 4;
    return path[0] == L'U' && path[1] == L'N' && path[2] == L'C' && path[3] == L'\\' ? path + 3 : path;
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

// 1 when `found` names the entry `name` of the folder, or the folder itself
// when there is no name, whatever their form and letter case.
static int TreeSamePath(const wchar_t* folder, const wchar_t* name, const wchar_t* found)
{
    auto compare = RtCompareStringOrdinal();
    // Both functions came with Windows Vista: without one, the final path is
    // not known either.
    if (!compare)
        return 1;
    folder = TreePlainForm(folder);
    found = TreePlainForm(found);
    int length = TreeLength(folder);
    int nameLength = name ? lstrlenW(name) : -1;
    // The folder, then a backslash and the name: compared piece by piece.
    return TreeLength(found) == length + 1 + nameLength && (!name || found[length] == L'\\')
        && compare(folder, length, found, length, TRUE) == CSTR_EQUAL
        && (!name || compare(name, nameLength, found + length + 1, nameLength, TRUE) == CSTR_EQUAL);
}

// The open file's or folder's attributes; INVALID_FILE_ATTRIBUTES when the
// system cannot tell them.
static DWORD TreeAttributes(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION information = {};
    return GetFileInformationByHandle(handle, &information) ? information.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

// A handle opened on a link itself shows it in its attributes; one that the
// system followed anyway (Wine follows every link) leads elsewhere than the
// path asked (as for TreeSamePath); one whose attributes cannot be told is
// taken for a link. *found, when given, takes the final path of a handle
// that is no link (null when unknown), which the caller frees; *attributes,
// when given, the attributes.
static int TreeIsLink(HANDLE handle, const wchar_t* folder, const wchar_t* name, wchar_t** found = nullptr,
                      DWORD* attributes = nullptr)
{
    DWORD known = TreeAttributes(handle);
    if (attributes)
        *attributes = known;
    if (known == INVALID_FILE_ATTRIBUTES || (known & FILE_ATTRIBUTE_REPARSE_POINT))
        return 1;
    wchar_t* path = TreeFinalPath(handle);
    int elsewhere = path && !TreeSamePath(folder, name, path);
    if (found && !elsewhere)
        *found = path;
    else
        RtFree(path);
    return elsewhere;
}

// Holds the folder, with its final path when known (the table then owns it).
static int TreeKeep(HANDLE handle, wchar_t* path = nullptr)
{
    if (!RtTableReserve((void**)&TreeHeld, &TreeCapacity, TreeCount, TreeTableStep, sizeof(TreeHeldFolder))) {
        CloseHandle(handle);
        RtFree(path);
        return 0;
    }
    TreeHeld[TreeCount++] = {handle, path};
    return 1;
}

// The final path of the folder: the one known when it is held, else asked
// (and kept when held). *asked is 1 when the caller frees it.
static wchar_t* TreeFolderPath(HANDLE folder, int* asked)
{
    TreeHeldFolder* held = nullptr;
    for (int i = 0; i < TreeCount; i++) {
        if (TreeHeld[i].handle == folder)
            held = &TreeHeld[i];
    }
    *asked = !held;
    if (held && !held->path)
        held->path = TreeFinalPath(folder);
    return held ? held->path : TreeFinalPath(folder);
}


// The status of NtCreateFile for one name (no backslash) below the held
// folder; *handle is null unless it succeeded.
static LONG TreeOpenIn(HANDLE folder, const wchar_t* name, DWORD access, DWORD sharing, ULONG disposition,
                       ULONG options, HANDLE* handle, ULONG_PTR* information = nullptr)
{
    *handle = nullptr;
    auto createFile = RtNtCreateFile();
    if (!createFile || !folder || !name)
        return TreeAccessDenied;
    UNICODE_STRING objectName = {};
    objectName.Buffer = (PWSTR)name;
    objectName.Length = (USHORT)(lstrlenW(name) * sizeof(wchar_t));
    objectName.MaximumLength = objectName.Length;
    OBJECT_ATTRIBUTES attributes = {};
    attributes.Length = sizeof attributes;
    attributes.RootDirectory = folder;
    attributes.ObjectName = &objectName;
    attributes.Attributes = OBJ_CASE_INSENSITIVE;
    IO_STATUS_BLOCK status = {};
    LONG result = createFile(handle, access | SYNCHRONIZE, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL,
                             sharing, disposition, options | TreeSynchronous, nullptr, 0);
    if (result < 0)
        *handle = nullptr;
    if (information)
        *information = status.Information;
    return result;
}

// 1 when the child, opened by its name below the folder, is a link, or was
// followed to somewhere else (Wine follows every link). *found as for
// TreeIsLink, and *attributes.
static int TreeChildIsLink(HANDLE folder, HANDLE child, const wchar_t* name, wchar_t** found = nullptr,
                           DWORD* attributes = nullptr)
{
    int folderPathAsked = 0;
    wchar_t* folderPath = TreeFolderPath(folder, &folderPathAsked);
    // Where the folder's path cannot be told, no path of the child's is the
    // one asked.
    int link = TreeIsLink(child, folderPath ? folderPath : L"", name, found, attributes);
    if (folderPathAsked)
        RtFree(folderPath);
    return link;
}

HANDLE TreeHoldRoot(const char* folder)
{
    HANDLE handle = TreeOpenFolder(folder, 0);
    return handle && TreeKeep(handle) ? handle : nullptr;
}

// The held folder of that name below the parent, or null (*link then 1
// when it is a link).
static HANDLE TreeHoldFolder(HANDLE parent, const wchar_t* name, int create, int refuseLinks, int* link)
{
    *link = 0;
    HANDLE folder = nullptr;
    ULONG options = TreeFolderOnly | (refuseLinks ? TreeLinkItself : 0);
    TreeOpenIn(parent, name, TreeFolderAccess, TreeFolderSharing, create ? TreeOpenOrCreate : TreeOpenExisting,
               options, &folder);
    wchar_t* path = nullptr;
    if (folder && refuseLinks && TreeChildIsLink(parent, folder, name, &path)) {
        CloseHandle(folder);
        *link = 1;
        return nullptr;
    }
    return folder && TreeKeep(folder, path) ? folder : nullptr;
}

// The part of `relative` from `start` up to `end`, wide, in a new heap block.
static wchar_t* TreePart(const char* relative, int start, int end)
{
    char* part = StrWorkPosition();
    StrMid(relative, start + 1, end - start, part);
    wchar_t* wide = StrToWide(part);
    StrRewind(part);
    return wide;
}

HANDLE TreeHoldWay(HANDLE root, const char* relative, int create, int refuseLinks, int* linkEnd)
{
    *linkEnd = 0;
    HANDLE folder = root;
    int start = 0;
    for (int i = 0; folder && relative[i]; i++) {
        if (relative[i] != '\\')
            continue;
        // An empty part (two backslashes) names no folder of its own.
        if (i > start) {
            wchar_t* name = TreePart(relative, start, i);
            int link = 0;
            folder = TreeHoldFolder(folder, name, create, refuseLinks, &link);
            RtFree(name);
            if (link)
                *linkEnd = i;
        }
        start = i + 1;
    }
    return folder;
}

// An existing entry of the folder, following no link at the name; with
// refuseLinks none the system followed elsewhere either (then
// INVALID_HANDLE_VALUE). *attributes are the entry's (INVALID_FILE_ATTRIBUTES
// unknown); *status, when given, is the open's own.
static HANDLE TreeFileIn(HANDLE folder, const char* name, DWORD access, DWORD sharing, int refuseLinks,
                         DWORD* attributes, LONG* status = nullptr)
{
    wchar_t* wide = StrToWide(name);
    HANDLE file = nullptr;
    LONG opened = TreeOpenIn(folder, wide, access, sharing, TreeOpenExisting, TreeLinkItself, &file);
    if (status)
        *status = opened;
    *attributes = INVALID_FILE_ATTRIBUTES;
    if (file && refuseLinks && TreeChildIsLink(folder, file, wide, nullptr, attributes)) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    } else if (file && !refuseLinks) {
        *attributes = TreeAttributes(file);
    }
    RtFree(wide);
    return file;
}

TreeFileFound TreeFileState(HANDLE folder, const char* name, int refuseLinks)
{
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    HANDLE file = TreeFileIn(folder, name, FILE_READ_ATTRIBUTES, TreeEverySharing, refuseLinks, &attributes);
    if (!file)
        return TreeFileAbsent;
    if (file == INVALID_HANDLE_VALUE)
        return TreeFileLinked;
    CloseHandle(file);
    // With refuseLinks, a link was refused above.
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return TreeFileLinked;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return TreeFileFolder;
    return (attributes & FILE_ATTRIBUTE_READONLY) ? TreeFileReadOnly : TreeFilePlain;
}

HANDLE TreeCreateFile(HANDLE folder, const char* name)
{
    wchar_t* wide = StrToWide(name);
    HANDLE file = nullptr;
    TreeOpenIn(folder, wide, TreeNewFileAccess, FILE_SHARE_READ, TreeCreateOnly, TreeFileOnly | TreeLinkItself, &file);
    RtFree(wide);
    return file;
}

HANDLE TreeOpenOrCreateFile(HANDLE folder, const char* name, int refuseLinks, int* created)
{
    ULONG_PTR information = 0;
    wchar_t* wide = StrToWide(name);
    HANDLE file = nullptr;
    TreeOpenIn(folder, wide, GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, TreeOpenOrCreate,
               TreeFileOnly | TreeLinkItself, &file, &information);
    *created = file && information == TreeWasCreated;
    if (file && refuseLinks && TreeChildIsLink(folder, file, wide)) {
        if (*created)
            TreeDeleteOpen(file);
        CloseHandle(file);
        file = nullptr;
    }
    RtFree(wide);
    return file;
}

// A move over a file that another program holds open is refused with
// "access denied" (so Wine answers; a sharing violation is taken too), as a
// move over a folder or without rights is: only an open of the target
// itself for what a replacement needs (writing and deleting, every sharing
// allowed) tells them apart, by a sharing violation.
static int TreeHeldOpen(HANDLE folder, const wchar_t* name, LONG renameStatus)
{
    if (renameStatus != TreeAccessDenied && renameStatus != TreeSharingViolation)
        return 0;
    HANDLE file = nullptr;
    LONG status = TreeOpenIn(folder, name, FILE_WRITE_DATA | DELETE, TreeEverySharing, TreeOpenExisting,
                             TreeFileOnly | TreeLinkItself, &file);
    if (file)
        CloseHandle(file);
    return status == TreeSharingViolation;
}

int TreeRename(HANDLE file, HANDLE folder, const char* name, int* held)
{
    wchar_t* wide = StrToWide(name);
    ULONG nameBytes = wide ? (ULONG)(lstrlenW(wide) * sizeof(wchar_t)) : 0;
    SIZE_T size = offsetof(TreeRenameInformation, fileName) + nameBytes;
    auto* rename = wide ? (TreeRenameInformation*)RtAlloc(size) : nullptr;
    auto setInformation = RtNtSetInformationFile();
    LONG status = TreeAccessDenied;
    if (rename && setInformation) {
        rename->replaceIfExists = TRUE;
        rename->rootDirectory = folder;
        rename->fileNameLength = nameBytes;
        CopyMemory(rename->fileName, wide, nameBytes);
        IO_STATUS_BLOCK io = {};
        status = setInformation(file, &io, rename, (ULONG)size, TreeRenameClass);
    }
    if (held)
        *held = status < 0 && wide && TreeHeldOpen(folder, wide, status);
    RtFree(rename);
    RtFree(wide);
    return status >= 0;
}

int TreeDeleteOpen(HANDLE file)
{
    auto setInformation = RtNtSetInformationFile();
    BOOLEAN remove = TRUE;
    IO_STATUS_BLOCK io = {};
    return setInformation && setInformation(file, &io, &remove, sizeof remove, TreeDispositionClass) >= 0;
}

int TreeRemoveFile(HANDLE folder, const char* name)
{
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    HANDLE file = TreeFileIn(folder, name, DELETE | FILE_READ_ATTRIBUTES, TreeEverySharing, 1, &attributes);
    if (!file || file == INVALID_HANDLE_VALUE)
        return 0;
    // A link was refused above: the attributes are known.
    int removed = !(attributes & FILE_ATTRIBUTE_DIRECTORY) && TreeDeleteOpen(file);
    CloseHandle(file);
    return removed;
}

HANDLE TreeOpenFolder(const char* folder, int refuseLinks)
{
    wchar_t* path = FileWidePath(folder);
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (refuseLinks ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    HANDLE handle = path ? TreeOpen(path, TreeFolderAccess, TreeFolderSharing, flags) : nullptr;
    if (handle && refuseLinks && TreeIsLink(handle, path, nullptr)) {
        CloseHandle(handle);
        handle = nullptr;
    }
    RtFree(path);
    return handle;
}

HANDLE TreeOpenToRemove(HANDLE folder, const char* name, int refuseLinks, int* held)
{
    LONG status = 0;
    DWORD attributes = 0;
    HANDLE entry = TreeFileIn(folder, name, GENERIC_READ | DELETE, FILE_SHARE_READ, refuseLinks, &attributes, &status);
    *held = status == TreeSharingViolation;
    return entry == INVALID_HANDLE_VALUE ? nullptr : entry;
}

void TreeReleaseAllBut(HANDLE kept)
{
    int count = 0;
    for (int i = 0; i < TreeCount; i++) {
        // No handle held is null.
        if (TreeHeld[i].handle == kept) {
            TreeHeld[count++] = TreeHeld[i];
            continue;
        }
        CloseHandle(TreeHeld[i].handle);
        RtFree(TreeHeld[i].path);
    }
    TreeCount = count;
}

void TreeRelease()
{
    TreeReleaseAllBut(nullptr);
    RtFree(TreeHeld);
    TreeHeld = nullptr;
    TreeCapacity = 0;
    TreeCount = 0;
}
