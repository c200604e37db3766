// Files of a held folder: found, made, opened, renamed and removed
// relative to the folder, or through their own handle, never through a link
// at their name.
#include "Rt.h"
#include "RtCalls.h"
#include "RtHook.h"
#include "ScopedHandle.h"
#include "StrWide.h"
#include "TreeParts.h"
#include <stddef.h>

// A new file, as the file service writes it: others may read it, no more.
constexpr DWORD TreeNewFileAccess = GENERIC_READ | GENERIC_WRITE | DELETE;
constexpr ULONG_PTR TreeWasCreated = 2;         // FILE_CREATED
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

// An existing entry of the folder in *file, following no link at the name;
// with refuseLinks none the system followed elsewhere either (TreeMissLink).
// *attributes are the entry's (INVALID_FILE_ATTRIBUTES unknown).
static TreeMiss TreeFileIn(HANDLE folder, const char* name, DWORD access, DWORD sharing, ULONG options,
                           int refuseLinks, HANDLE* file, DWORD* attributes)
{
    HeapWideStr wide = StrToWide(name);
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
    ScopedHandle file;
    TreeMiss miss = TreeFileIn(folder, name, FILE_READ_ATTRIBUTES, TreeEverySharing, 0, refuseLinks, file.Receive(),
                               &attributes);
    if (miss == TreeMissAbsent)
        return TreeFileAbsent;
    if (miss == TreeMissLink)
        return TreeFileLinked;
    if (miss != TreeMissNone)
        return TreeFileUnknown;
    // With refuseLinks, a link was refused above.
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return TreeFileLinked;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return TreeFileFolder;
    return (attributes & FILE_ATTRIBUTE_READONLY) ? TreeFileReadOnly : TreeFilePlain;
}

HANDLE TreeCreateFileUnhooked(HANDLE folder, const char* name)
{
    HeapWideStr wide = StrToWide(name);
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
    HeapWideStr wide = StrToWide(name);
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
    ScopedHandle file;
    LONG status = TreeOpenIn(folder, name, FILE_WRITE_DATA | DELETE, TreeEverySharing, TreeOpenExisting,
                             TreeFileOnly | TreeLinkItself, file.Receive());
    return status == TreeSharingViolation;
}

int TreeRename(HANDLE file, HANDLE folder, const char* name, int* held)
{
    HeapWideStr wide = StrToWide(name);
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
    ScopedHandle file;
    if (TreeFileIn(folder, name, DELETE | FILE_READ_ATTRIBUTES, TreeEverySharing, TreeFileOnly, 1, file.Receive(),
                   &attributes)
        != TreeMissNone)
        return 0;
    return TreeDeleteOpen(file.handle);
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
