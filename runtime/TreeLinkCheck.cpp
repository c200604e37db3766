// Whether a handle opened below a held folder is a link, or was followed
// by the system to somewhere else than the name asked: told by its
// attributes and by its final path compared with the folder's.
#include "Rt.h"
#include "RtCalls.h"
#include "TreeParts.h"

// Where the system writes a final path, in zeroed data that costs the
// file nothing: a held folder's path is then kept in a block of its size.
static wchar_t TreePathAnswer[RtPathCapacity];

HeapWideStr TreeFinalPath(HANDLE handle)
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

DWORD TreeAttributes(HANDLE handle)
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
    HeapWideStr path = TreeFinalPath(handle);
    int elsewhere = !path || !TreeSamePath(folder, name, path);
    if (found && !elsewhere)
        *found = path;
    else
        RtFree(path);
    return elsewhere;
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
