// Where a link leads, read from the link itself (opened as itself, never
// followed): the one question that tells a junction from a symbolic link to
// a server before the system would connect there.
#include "Rt.h"
#include "RtHook.h"
#include "TreeParts.h"
#include <winioctl.h>

// The reparse data's head and the two kinds that name a path (the driver
// kit's REPARSE_DATA_BUFFER).
struct TreeReparseData {
    ULONG tag;
    USHORT dataLength;
    USHORT reserved;
    USHORT substituteOffset;
    USHORT substituteLength;
    USHORT printOffset;
    USHORT printLength;
    // A symbolic link has ULONG flags here; a mount point has its names.
};
constexpr ULONG TreeSymbolicLinkRelative = 1;       // SYMLINK_FLAG_RELATIVE
// A tag with this bit stands for another name: a link of some kind.
constexpr ULONG TreeNameSurrogate = 0x20000000;
constexpr DWORD TreeReparseRoom = MAXIMUM_REPARSE_DATA_BUFFER_SIZE;

// Where the file system writes the data: the largest it gives, in zeroed
// data that costs the file nothing.
static ULONG TreeReparseBlock[TreeReparseRoom / sizeof(ULONG)];

static int TreeStartsWith(const wchar_t* text, int length, const wchar_t* start)
{
    int i = 0;
    for (; start[i]; i++) {
        if (i >= length || text[i] != start[i])
            return 0;
    }
    return 1;
}

// A copy of the characters in a new heap block, "\\?\" in place of "\??\".
static HeapWideStr TreeLongForm(const wchar_t* name, int length)
{
    auto copy = (HeapWideStr)RtAllocUnzeroed((length + 1) * sizeof(wchar_t));
    if (!copy)
        return nullptr;
    CopyMemory(copy, name, length * sizeof(wchar_t));
    copy[length] = 0;
    copy[1] = L'\\';
    return copy;
}

// An absolute target, "\??\" and a drive or a volume: of this machine, unless
// the drive is one that Windows maps to a server.
static TreeLinkEnd TreeAbsoluteTarget(const wchar_t* name, int length, wchar_t** target)
{
    if (!TreeStartsWith(name, length, L"\\??\\") || TreeStartsWith(name, length, L"\\??\\UNC\\") || length < 7)
        return TreeLinkElsewhere;
    int drive = name[5] == L':' && name[6] == L'\\';
    if (drive) {
        const wchar_t root[] = {name[4], L':', L'\\', 0};
        if (GetDriveTypeW(root) == DRIVE_REMOTE)
            return TreeLinkElsewhere;
    } else if (!TreeStartsWith(name, length, L"\\??\\Volume{")) {
        return TreeLinkElsewhere;
    }
    *target = TreeLongForm(name, length);
    return *target ? TreeLinkLocal : TreeLinkElsewhere;
}

// A relative target, resolved against the link's own folder as the system
// resolves it; what it comes to is walked again like any path.
static TreeLinkEnd TreeRelativeTarget(const wchar_t* folder, const wchar_t* name, int length, wchar_t** target)
{
    if (length > 0 && name[0] == L'\\')
        return TreeLinkElsewhere;
    int folderLength = lstrlenW(folder);
    if (folderLength > 0 && folder[folderLength - 1] == L'\\')
        folderLength--;
    auto* joined = (wchar_t*)RtAllocUnzeroed((folderLength + length + 2) * sizeof(wchar_t));
    auto* full = (wchar_t*)RtAllocUnzeroed(RtPathCapacity * sizeof(wchar_t));
    DWORD fullLength = 0;
    if (joined && full) {
        CopyMemory(joined, folder, folderLength * sizeof(wchar_t));
        joined[folderLength] = L'\\';
        CopyMemory(joined + folderLength + 1, name, length * sizeof(wchar_t));
        joined[folderLength + 1 + length] = 0;
        fullLength = GetFullPathNameW(joined, RtPathCapacity, full, nullptr);
    }
    RtFree(joined);
    if (fullLength == 0 || fullLength >= RtPathCapacity) {
        RtFree(full);
        return TreeLinkElsewhere;
    }
    *target = full;
    return TreeLinkLocal;
}

TreeLinkEnd TreeLinkTargetUnhooked(HANDLE link, const wchar_t* folder, wchar_t** target)
{
    *target = nullptr;
    DWORD got = 0;
    if (!DeviceIoControl(link, FSCTL_GET_REPARSE_POINT, nullptr, 0, TreeReparseBlock, TreeReparseRoom, &got, nullptr)
        || got < sizeof(TreeReparseData))
        return TreeLinkElsewhere;
    auto* data = (const TreeReparseData*)TreeReparseBlock;
    if (!(data->tag & TreeNameSurrogate))
        return TreeLinkNone;
    int symbolic = data->tag == IO_REPARSE_TAG_SYMLINK;
    if (!symbolic && data->tag != IO_REPARSE_TAG_MOUNT_POINT)
        return TreeLinkElsewhere;
    // The names follow the head, after a symbolic link's flags.
    const BYTE* names = (const BYTE*)TreeReparseBlock + sizeof(TreeReparseData) + (symbolic ? sizeof(ULONG) : 0);
    const BYTE* end = (const BYTE*)TreeReparseBlock + got;
    const BYTE* start = names + data->substituteOffset;
    if (start + data->substituteLength > end)
        return TreeLinkElsewhere;
    const auto* name = (const wchar_t*)start;
    int length = data->substituteLength / sizeof(wchar_t);
    ULONG flags = symbolic ? *(const ULONG*)(TreeReparseBlock + sizeof(TreeReparseData) / sizeof(ULONG)) : 0;
    if (flags & TreeSymbolicLinkRelative)
        return TreeRelativeTarget(folder, name, length, target);
    return TreeAbsoluteTarget(name, length, target);
}

TreeLinkEnd TreeLinkTarget(HANDLE link, const wchar_t* folder, wchar_t** target)
{
    if (RtHooks.TreeLinkTarget)
        return RtHooks.TreeLinkTarget(link, folder, target);
    return TreeLinkTargetUnhooked(link, folder, target);
}
