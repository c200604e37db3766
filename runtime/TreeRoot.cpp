// The folder a run was sent to, opened either by its path or, with rights,
// one name at a time from its volume's root, each name opened as itself
// (never through a link) relative to the folder before it. A link met on
// the way is followed only by opening its target the same way, and only
// when the file system says, without following it, that it leads to this
// machine: a symbolic link that a standard user made to a server would
// otherwise have the system connect there with the administrator's
// credentials. Nothing here opens a path through a link it has not read.
//
// What else a run with rights opens, and why none of it can reach a server
// that a link names:
// - the host's check (IsPureBasicFolder) and its hold, and the /LOG= file's
//   folder: this walk; everything below them: one name at a time from a
//   held folder, no link followed (Tree.cpp, TreeFile.cpp);
// - the write test opens by path, but only in a run without rights, which
//   could only hand a server its own user's credentials;
// - the program's own file, held by its path: the file the system started
//   this process from, read already by the system itself;
// - GetFullPathNameW and GetDriveTypeW work on the text and the drive's
//   kind: neither opens anything behind the path.
#include "File.h"
#include "Rt.h"
#include "Str.h"
#include "StrWide.h"
#include "TreeParts.h"

// Passing through a folder: its name looked up, nothing more, every other
// program free to do anything with it meanwhile.
constexpr DWORD TreeWayAccess = FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
// Links followed one after the other before the walk gives up, as the
// system itself stops after a few dozen.
constexpr int TreeMostLinks = 16;

static TreeMiss TreeOpenByPath(const wchar_t* path, DWORD access, DWORD sharing, HANDLE* handle)
{
    *handle = CreateFileW(path, access, sharing, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (*handle != INVALID_HANDLE_VALUE)
        return TreeMissNone;
    *handle = nullptr;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? TreeMissAbsent : TreeMissFailed;
}

// The length of the path's root, the part the walk opens by its path: "C:\",
// "\\?\C:\", "\\?\Volume{...}\", "\\server\share\" or "\\?\UNC\server\share\";
// 0 for any other form.
static int TreeRootLength(const wchar_t* path)
{
    if (path[0] && path[1] == L':' && path[2] == L'\\')
        return 3;
    if (path[0] != L'\\' || path[1] != L'\\')
        return 0;
    int start = 2;
    int parts = 2;  // a server and its share
    if (path[2] == L'?' && path[3] == L'\\') {
        start = 4;
        int unc = path[4] == L'U' && path[5] == L'N' && path[6] == L'C' && path[7] == L'\\';
        start += unc ? 4 : 0;
        parts = unc ? 2 : 1;
    }
    int i = start;
    for (; path[i] && parts > 0; i++) {
        if (path[i] == L'\\')
            parts--;
    }
    return parts == 0 && i > start + 1 ? i : 0;
}

// The path from `from` with `rest` appended, in a new heap block.
static HeapWideStr TreeJoinWide(const wchar_t* from, const wchar_t* rest)
{
    int fromLength = lstrlenW(from);
    int restLength = lstrlenW(rest);
    auto* joined = (wchar_t*)RtAllocUnzeroed((fromLength + restLength + 2) * sizeof(wchar_t));
    if (!joined)
        return nullptr;
    CopyMemory(joined, from, fromLength * sizeof(wchar_t));
    int length = fromLength;
    if (restLength > 0 && length > 0 && joined[length - 1] != L'\\')
        joined[length++] = L'\\';
    CopyMemory(joined + length, rest, (restLength + 1) * sizeof(wchar_t));
    return joined;
}

static TreeMiss TreeWalk(wchar_t* path, TreeReach reach, int links, HANDLE* folder, int* linkEnd);

// The walk met a link at path[0..end) that leads as `leads` says: it goes on from the target (which this frees) when
// that lies on this machine; *linkEnd is then the end of the link that was
// refused, as the path names it.
static TreeMiss TreeThroughLink(wchar_t* path, int end, TreeLinkEnd leads, wchar_t* target, int links,
                                HANDLE* folder, int* linkEnd)
{
    *linkEnd = end;
    if (leads != TreeLinkLocal) {
        RtFree(target);
        return TreeMissRemote;
    }
    HeapWideStr further = TreeJoinWide(target, path[end] ? path + end + 1 : L"");
    RtFree(target);
    int furtherEnd = 0;
    TreeMiss miss = further ? TreeWalk(further, TreeReachLocal, links + 1, folder, &furtherEnd) : TreeMissFailed;
    RtFree(further);
    if (miss == TreeMissNone || miss == TreeMissAbsent)
        *linkEnd = 0;
    return miss;
}

// The last folder of the path in *folder, open to be held when last, else
// to be passed through. Each part is opened as itself: for a link, the link.
static TreeMiss TreeWalk(wchar_t* path, TreeReach reach, int links, HANDLE* folder, int* linkEnd)
{
    *linkEnd = 0;
    *folder = nullptr;
    int rootLength = TreeRootLength(path);
    if (rootLength == 0)
        return TreeMissFailed;
    wchar_t kept = path[rootLength];
    path[rootLength] = 0;
    HANDLE current = nullptr;
    TreeMiss miss = TreeOpenByPath(path, kept ? TreeWayAccess : TreeFolderAccess,
                                   kept ? TreeEverySharing : TreeFolderSharing, &current);
    path[rootLength] = kept;
    int start = rootLength;
    while (miss == TreeMissNone && path[start]) {
        int end = start;
        while (path[end] && path[end] != L'\\')
            end++;
        int last = !path[end] || !path[end + 1];
        wchar_t after = path[end];
        path[end] = 0;
        HANDLE child = nullptr;
        miss = TreeMissOf(TreeOpenIn(current, path + start, last ? TreeFolderAccess : TreeWayAccess,
                                     last ? TreeFolderSharing : TreeEverySharing, TreeOpenExisting,
                                     TreeFolderOnly | TreeLinkItself, &child));
        int link = child && TreeChildIsLink(current, child, path + start);
        path[end] = after;
        CloseHandle(current);
        current = child;
        TreeLinkEnd leads = TreeLinkElsewhere;
        HeapWideStr target = nullptr;
        if (link && reach == TreeReachLocal && links < TreeMostLinks) {
            wchar_t kept = path[start];
            path[start] = 0;
            leads = TreeLinkTarget(child, path, &target);
            path[start] = kept;
        }
        if (link && reach == TreeReachNoLink) {
            *linkEnd = end;
            CloseHandle(child);
            return TreeMissLink;
        }
        if (link && leads != TreeLinkNone) {
            miss = TreeThroughLink(path, end, leads, target, links, folder, linkEnd);
            CloseHandle(child);
            return miss;
        }
        start = after ? end + 1 : end;
    }
    if (miss == TreeMissNone)
        *folder = current;
    return miss;
}

// `linkEnd`, counted in the wide path, as a count of bytes of the UTF-8 one.
static int TreeUtf8Length(const wchar_t* wide, int length)
{
    return length > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr) : 0;
}

TreeMiss TreeOpenFolder(const char* folder, TreeReach reach, HANDLE* opened, int* linkEnd)
{
    *opened = nullptr;
    *linkEnd = 0;
    HeapWideStr given = StrToWide(folder);
    HeapWideStr path = FileWidePath(folder);
    TreeMiss miss = TreeMissFailed;
    if (path && given && reach == TreeReachByPath) {
        miss = TreeOpenByPath(path, TreeFolderAccess, TreeFolderSharing, opened);
    } else if (path && given) {
        int wideEnd = 0;
        miss = TreeWalk(path, reach, 0, opened, &wideEnd);
        // The path as given and as made full differ before the link only by
        // its prefix, which the log does not name: counted from the end.
        int fromEnd = lstrlenW(path) - wideEnd;
        int givenEnd = lstrlenW(given) - fromEnd;
        *linkEnd = wideEnd > 0 && givenEnd > 0 ? TreeUtf8Length(given, givenEnd) : 0;
    }
    RtFree(path);
    RtFree(given);
    return miss;
}

TreeMiss TreeHoldRoot(const char* folder, TreeReach reach, HeldFolder* root, int* linkEnd)
{
    TreeMiss miss = TreeOpenFolder(folder, reach, root, linkEnd);
    if (miss == TreeMissNone && !TreeKeep(*root)) {
        *root = nullptr;
        miss = TreeMissFailed;
    }
    return miss;
}
