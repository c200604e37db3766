#include "TreeParts.h"
#include "File.h"
#include "Rt.h"
#include "RtCalls.h"
#include "RtHook.h"
#include "Str.h"
#include "StrWide.h"
#include <stddef.h>

constexpr int TreeTableStep = 16;
// A new file, as the file service writes it: others may read it, no more.
constexpr DWORD TreeNewFileAccess = GENERIC_READ | GENERIC_WRITE | DELETE;

constexpr ULONG TreeSynchronous = 0x00000020;   // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG_PTR TreeWasCreated = 2;         // FILE_CREATED
// NtCreateFile's answers (the driver kit's names).
constexpr LONG TreeAccessDenied = (LONG)0xC0000022;           // STATUS_ACCESS_DENIED
constexpr LONG TreeNameNotFound = (LONG)0xC0000034;           // STATUS_OBJECT_NAME_NOT_FOUND
constexpr LONG TreePathNotFound = (LONG)0xC000003A;           // STATUS_OBJECT_PATH_NOT_FOUND
constexpr LONG TreeSharingViolation = (LONG)0xC0000043;       // STATUS_SHARING_VIOLATION
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
// path asked (as for TreeSamePath); one whose attributes or final path
// cannot be told is taken for a link. Before Windows Vista there is no
// final path to ask for, and no need: the system there opens a link itself
// when told to. *found, when given, takes the final path of a handle that
// is no link (null when unknown), which the caller frees; *attributes, when
// given, the attributes.
int TreeIsLink(HANDLE handle, const wchar_t* folder, const wchar_t* name, wchar_t** found, DWORD* attributes)
{
    DWORD known = TreeAttributes(handle);
    if (attributes)
        *attributes = known;
    if (known == INVALID_FILE_ATTRIBUTES || (known & FILE_ATTRIBUTE_REPARSE_POINT))
        return 1;
    if (!RtGetFinalPathNameByHandleW())
        return 0;
    wchar_t* path = TreeFinalPath(handle);
    int elsewhere = !path || !TreeSamePath(folder, name, path);
    if (found && !elsewhere)
        *found = path;
    else
        RtFree(path);
    return elsewhere;
}

// Holds the folder, with its final path when known (the table then owns it).
int TreeKeep(HANDLE handle, wchar_t* path)
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


LONG TreeOpenIn(HANDLE folder, const wchar_t* name, DWORD access, DWORD sharing, ULONG disposition, ULONG options,
                HANDLE* handle, ULONG_PTR* information)
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

TreeMiss TreeMissOf(LONG status)
{
    if (status >= 0)
        return TreeMissNone;
    if (status == TreeNameNotFound || status == TreePathNotFound)
        return TreeMissAbsent;
    return status == TreeSharingViolation ? TreeMissHeld : TreeMissFailed;
}

int TreeChildIsLink(HANDLE folder, HANDLE child, const wchar_t* name, wchar_t** found, DWORD* attributes)
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

// The held folder of that name below the parent, in *folder.
static TreeMiss TreeHoldFolder(HANDLE parent, const wchar_t* name, int create, int refuseLinks, HANDLE* folder)
{
    ULONG options = TreeFolderOnly | (refuseLinks ? TreeLinkItself : 0);
    LONG status = TreeOpenIn(parent, name, TreeFolderAccess, TreeFolderSharing,
                             create ? TreeOpenOrCreate : TreeOpenExisting, options, folder);
    if (!*folder)
        return TreeMissOf(status);
    wchar_t* path = nullptr;
    if (refuseLinks && TreeChildIsLink(parent, *folder, name, &path)) {
        CloseHandle(*folder);
        *folder = nullptr;
        return TreeMissLink;
    }
    if (TreeKeep(*folder, path))
        return TreeMissNone;
    *folder = nullptr;
    return TreeMissFailed;
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

TreeMiss TreeHoldWay(HANDLE root, const char* relative, int create, int refuseLinks, HANDLE* folder, int* linkEnd)
{
    *linkEnd = 0;
    *folder = root;
    TreeMiss miss = root ? TreeMissNone : TreeMissFailed;
    int start = 0;
    for (int i = 0; miss == TreeMissNone && relative[i]; i++) {
        if (relative[i] != '\\')
            continue;
        // An empty part (two backslashes) names no folder of its own.
        if (i > start) {
            wchar_t* name = TreePart(relative, start, i);
            miss = name ? TreeHoldFolder(*folder, name, create, refuseLinks, folder) : TreeMissFailed;
            RtFree(name);
            if (miss == TreeMissLink)
                *linkEnd = i;
        }
        start = i + 1;
    }
    if (miss != TreeMissNone)
        *folder = nullptr;
    return miss;
}

// An existing entry of the folder in *file, following no link at the name;
// with refuseLinks none the system followed elsewhere either (TreeMissLink).
// *attributes are the entry's (INVALID_FILE_ATTRIBUTES unknown).
static TreeMiss TreeFileIn(HANDLE folder, const char* name, DWORD access, DWORD sharing, ULONG options,
                           int refuseLinks, HANDLE* file, DWORD* attributes)
{
    wchar_t* wide = StrToWide(name);
    LONG status = TreeOpenIn(folder, wide, access, sharing, TreeOpenExisting, options | TreeLinkItself, file);
    *attributes = INVALID_FILE_ATTRIBUTES;
    TreeMiss miss = TreeMissOf(status);
    if (*file && refuseLinks && TreeChildIsLink(folder, *file, wide, nullptr, attributes)) {
        CloseHandle(*file);
        *file = nullptr;
        miss = TreeMissLink;
    } else if (*file && !refuseLinks) {
        *attributes = TreeAttributes(*file);
    }
    RtFree(wide);
    return *file || miss != TreeMissNone ? miss : TreeMissFailed;
}

TreeFileFound TreeFileState(HANDLE folder, const char* name, int refuseLinks)
{
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    HANDLE file = nullptr;
    TreeMiss miss = TreeFileIn(folder, name, FILE_READ_ATTRIBUTES, TreeEverySharing, 0, refuseLinks, &file, &attributes);
    if (miss == TreeMissAbsent)
        return TreeFileAbsent;
    if (miss == TreeMissLink)
        return TreeFileLinked;
    if (miss != TreeMissNone)
        return TreeFileUnknown;
    CloseHandle(file);
    // With refuseLinks, a link was refused above.
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return TreeFileLinked;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return TreeFileFolder;
    return (attributes & FILE_ATTRIBUTE_READONLY) ? TreeFileReadOnly : TreeFilePlain;
}

HANDLE TreeCreateFileUnhooked(HANDLE folder, const char* name)
{
    wchar_t* wide = StrToWide(name);
    HANDLE file = nullptr;
    TreeOpenIn(folder, wide, TreeNewFileAccess, FILE_SHARE_READ, TreeCreateOnly, TreeFileOnly | TreeLinkItself, &file);
    RtFree(wide);
    return file;
}

HANDLE TreeCreateFile(HANDLE folder, const char* name)
{
    if (RtHooks.TreeCreateFile)
        return RtHooks.TreeCreateFile(folder, name);
    return TreeCreateFileUnhooked(folder, name);
}

HANDLE TreeOpenOrCreateFileUnhooked(HANDLE folder, const char* name, int refuseLinks, int* created)
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

HANDLE TreeOpenOrCreateFile(HANDLE folder, const char* name, int refuseLinks, int* created)
{
    if (RtHooks.TreeOpenOrCreateFile)
        return RtHooks.TreeOpenOrCreateFile(folder, name, refuseLinks, created);
    return TreeOpenOrCreateFileUnhooked(folder, name, refuseLinks, created);
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
    HANDLE file = nullptr;
    if (TreeFileIn(folder, name, DELETE | FILE_READ_ATTRIBUTES, TreeEverySharing, TreeFileOnly, 1, &file, &attributes)
        != TreeMissNone)
        return 0;
    int removed = TreeDeleteOpen(file);
    CloseHandle(file);
    return removed;
}

TreeMiss TreeOpenEntry(HANDLE folder, const char* name, TreeEntryKind kind, TreeEntryUse use, int refuseLinks,
                       HANDLE* entry)
{
    DWORD access = use == TreeEntryToRemove ? GENERIC_READ | DELETE : GENERIC_READ;
    DWORD sharing = use == TreeEntryToRemove ? FILE_SHARE_READ : TreeEverySharing;
    ULONG options = kind == TreeEntryFolder ? TreeFolderOnly : TreeFileOnly;
    DWORD attributes = 0;
    return TreeFileIn(folder, name, access, sharing, options, refuseLinks, entry, &attributes);
}

// Only the attributes: asked for alone, they pass any other program's
// sharing, as a reading of the data would not.
constexpr DWORD TreeAskAccess = FILE_READ_ATTRIBUTES | SYNCHRONIZE;

// 1 when another program's handle keeps the folder from being held.
static int TreeFolderIsHeld(HANDLE parent, const wchar_t* name)
{
    HANDLE folder = nullptr;
    LONG status = TreeOpenIn(parent, name, TreeFolderAccess, TreeFolderSharing, TreeOpenExisting,
                             TreeFolderOnly | TreeLinkItself, &folder);
    if (folder)
        CloseHandle(folder);
    return status == TreeSharingViolation;
}

HANDLE TreeOpenToAsk(HANDLE root, const char* relative)
{
    HANDLE parent = root;
    HANDLE current = nullptr;
    int start = 0;
    for (int i = 0;; i++) {
        char c = relative[i];
        if (c && c != '\\')
            continue;
        if (i > start) {
            wchar_t* name = TreePart(relative, start, i);
            HANDLE next = nullptr;
            if (name)
                TreeOpenIn(parent, name, TreeAskAccess, TreeEverySharing, TreeOpenExisting, TreeLinkItself, &next);
            if (next && TreeChildIsLink(parent, next, name)) {
                CloseHandle(next);
                next = nullptr;
            }
            int held = next && c == '\\' && TreeFolderIsHeld(parent, name);
            RtFree(name);
            if (!next)
                return current;
            if (current)
                CloseHandle(current);
            current = parent = next;
            if (held)
                return current;
        }
        if (!c)
            return current;
        start = i + 1;
    }
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
