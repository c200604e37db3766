// Folders reached one name at a time below a held folder: the one open
// that every other file of the tree goes through, the way down to a
// folder, and the entry opened only to ask who holds it.
#include "Rt.h"
#include "RtCalls.h"
#include "ScopedHandle.h"
#include "Str.h"
#include "StrWide.h"
#include "TreeParts.h"

constexpr ULONG TreeSynchronous = 0x00000020;   // FILE_SYNCHRONOUS_IO_NONALERT
// NtCreateFile's answers for an entry that is not there.
constexpr LONG TreeNameNotFound = (LONG)0xC0000034;           // STATUS_OBJECT_NAME_NOT_FOUND
constexpr LONG TreePathNotFound = (LONG)0xC000003A;           // STATUS_OBJECT_PATH_NOT_FOUND

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

// The held folder of that name below the parent, in *folder.
static TreeMiss TreeHoldFolder(HeldFolder parent, const wchar_t* name, int create, int refuseLinks, HeldFolder* folder)
{
    ULONG options = TreeFolderOnly | (refuseLinks ? TreeLinkItself : 0);
    LONG status = TreeOpenIn(parent, name, TreeFolderAccess, TreeFolderSharing,
                             create ? TreeOpenOrCreate : TreeOpenExisting, options, folder);
    if (!*folder)
        return TreeMissOf(status);
    HeapWideStr path = nullptr;
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
static HeapWideStr TreePart(const char* relative, int start, int end)
{
    TempStr part = StrWorkPosition();
    StrMid(relative, start + 1, end - start, part);
    HeapWideStr wide = StrToWide(part);
    StrRewind(part);
    return wide;
}

TreeMiss TreeHoldWay(HeldFolder root, const char* relative, int create, int refuseLinks, HeldFolder* folder,
                     int* linkEnd)
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
            HeapWideStr name = TreePart(relative, start, i);
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

// Only the attributes: asked for alone, they pass any other program's
// sharing, as a reading of the data would not.
constexpr DWORD TreeAskAccess = FILE_READ_ATTRIBUTES | SYNCHRONIZE;

// 1 when another program's handle keeps the folder from being held.
static int TreeFolderIsHeld(HANDLE parent, const wchar_t* name)
{
    ScopedHandle folder;
    LONG status = TreeOpenIn(parent, name, TreeFolderAccess, TreeFolderSharing, TreeOpenExisting,
                             TreeFolderOnly | TreeLinkItself, folder.Receive());
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
            HeapWideStr name = TreePart(relative, start, i);
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
