#include "Removal.h"
#include "runtime/File.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"
#include "runtime/Tree.h"

// PureBasic's own folder above the library's examples, never removed.
static const char ExamplesFolder[] = "Examples\\";

// One removal under way.
struct Removing {
    const InstallationOrder& order;
    char* root;             // the folder removed under (InstallationWriteRoot)
    char* linkName;         // the link that kept the last file, as the log names it; null when none
    int filesKept;
    int going;              // 0 once the log's reader is gone
};

// Opened on the entry itself, never what a link leads to, for reading and
// removal; nobody else may write or remove it meanwhile, so the bytes
// compared are the bytes removed. *held tells whether another program's
// handle refused the open. Null also when a process with rights finds a
// link on the way (a system that follows one anyway).
static HANDLE RemovalOpen(const char* path, DWORD access, DWORD flags, int* held)
{
    wchar_t* wide = FileWidePath(path);
    HANDLE entry = wide ? CreateFileW(wide, access | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)
                        : INVALID_HANDLE_VALUE;
    *held = entry == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
    RtFree(wide);
    if (entry == INVALID_HANDLE_VALUE)
        return nullptr;
    if (TreeRefusesLinks() && !TreeReachedPlainly(entry, path)) {
        CloseHandle(entry);
        return nullptr;
    }
    return entry;
}

// Removes the entry open through `entry`, which this closes; before Windows
// Vista by its name, which the open has shown to be no link.
static int RemovalDelete(HANDLE entry, const char* path, int folder)
{
    int removed = TreeMarkForRemoval(entry);
    CloseHandle(entry);
    if (removed >= 0)
        return removed;
    wchar_t* wide = FileWidePath(path);
    removed = wide && (folder ? RemoveDirectoryW(wide) : DeleteFileW(wide));
    RtFree(wide);
    return removed;
}

// One try at one file; the label that says what came of it.
static TextId RemoveOnce(Removing& removing, const char* path, int index, int* held)
{
    *held = 0;
    if (!FileExists(path))
        return TextMissingLabel;
    // Windows removes no read-only file: what the user protected stays.
    if (!InstallationWayIsSafe(removing.order.host, removing.root, path, &removing.linkName) || FileIsReadOnly(path))
        return TextNotRemovedLabel;
    HANDLE file = RemovalOpen(path, GENERIC_READ, FILE_ATTRIBUTE_NORMAL, held);
    if (!file)
        return TextNotRemovedLabel;
    if (!InstallationFileIsThisVersions(file, index)) {
        CloseHandle(file);
        return TextKeptChangedLabel;
    }
    return RemovalDelete(file, path, 0) ? TextRemovedLabel : TextNotRemovedLabel;
}

static void Advance(Removing& removing, int lines)
{
    if (!LogStep(*removing.order.log, lines))
        removing.going = 0;
}

// A file held by another program is tried again for as long as the log's
// reader, having closed it there, asks for it.
static void RemoveFile(Removing& removing, int index)
{
    if (!removing.going)
        return;
    InstalledFile file = InstallationFile(index, removing.order.language);
    char* path = StrWorkPosition();
    StrAppend(removing.root);
    StrAppend(file.path);
    StrSkipTerminator();
    int held = 0;
    TextId label = !file.shared ? RemoveOnce(removing, path, index, &held)
        : FileExists(path)      ? TextKeptSharedLabel
                                : TextMissingLabel;
    while (label == TextNotRemovedLabel && held && InstallationAskAgain(removing.order, path, file.path))
        label = RemoveOnce(removing, path, index, &held);
    StrRewind(path);
    if (label == TextNotRemovedLabel || label == TextKeptChangedLabel)
        removing.filesKept++;
    const char* link = label == TextNotRemovedLabel ? removing.linkName : nullptr;
    Advance(removing, InstallationLogFile(removing.order, label, file.path, TextLinkNotRemoved, link));
}

// Cuts a folder's path (ending in a backslash, at the work position's
// last string) to its parent's.
static void CutToParent(char* folder)
{
    StrMid(folder, 1, StrLen(folder) - 1, folder);
    StrPathPart(folder, folder);
    StrSkipTerminator();
}

// The folder (under the root, ending in a backslash) when empty, reached
// through held folders; nothing is said of one that stays.
static void RemoveFolder(Removing& removing, const char* folder)
{
    char* path = StrWorkPosition();
    StrAppend(removing.root);
    StrAppend(folder);
    StrSkipTerminator();
    char* parent = StrMid(folder, 1, StrLen(folder), StrWorkPosition());
    CutToParent(parent);
    int linkEnd = 0;
    int held = 0;
    HANDLE entry = nullptr;
    if (!TreeRefusesLinks() || TreeHoldWay(removing.root, parent, &linkEnd))
        entry = RemovalOpen(path, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS, &held);
    // Let go once the folder's own handle is open, which alone removes it: a
    // folder held here as a parent could not be removed next.
    TreeRelease();
    if (entry && RemovalDelete(entry, path, 1))
        Advance(removing, InstallationLogFile(removing.order, TextRemovedFolderLabel, folder, TextLinkNotRemoved, nullptr));
    StrRewind(path);
}

// Each example's folders, from its own up to the library's example folder:
// the last example's walk takes the folders the others left.
static void RemoveExampleFolders(Removing& removing)
{
    for (int index = 0; index < InstalledFileCount && removing.going; index++) {
        InstalledFile file = InstallationFile(index, removing.order.language);
        char* folder = StrWorkPosition();
        StrPathPart(file.path, folder);
        StrSkipTerminator();
        int examplesLength = StrLen(ExamplesFolder);
        int inExamples = StrLen(folder) > examplesLength;
        for (int i = 0; inExamples && i < examplesLength; i++)
            inExamples = folder[i] == ExamplesFolder[i];
        while (inExamples && StrLen(folder) > examplesLength) {
            RemoveFolder(removing, folder);
            CutToParent(folder);
        }
        StrRewind(folder);
    }
}

InstallationOutcome RemoveHere(const InstallationOrder& order)
{
    Removing removing = {order, InstallationWriteRoot(order.host), nullptr, 0, 1};
    char* heading = StrWorkPosition();
    StrAppend(order.host);
    StrAppend(" . . .");
    StrSkipTerminator();
    Advance(removing, LogLine(*order.log, heading));
    StrRewind(heading);
    for (int index = 0; index < InstalledFileCount; index++)
        RemoveFile(removing, index);
    TreeRelease();
    RemoveExampleFolders(removing);
    StrFree(removing.root);
    StrFree(removing.linkName);
    return {InstallationDone, removing.filesKept, 0, 0};
}

InstallationOutcome RemovalOrInstallHere(const InstallationOrder& order)
{
    return order.removal ? RemoveHere(order) : InstallHere(order);
}
