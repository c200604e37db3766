#include "app/install/Removal.h"
#include "runtime/Str.h"
#include "runtime/Tree.h"

// PureBasic's own folder above the library's examples, never removed.
static const char ExamplesFolder[] = "Examples\\";

// Removes the entry open through `entry`, which this closes; 1 when done.
static int RemovalDelete(HANDLE entry)
{
    int removed = TreeDeleteOpen(entry);
    CloseHandle(entry);
    return removed;
}

// One try at one file; the label that says what came of it. The bytes
// compared are the bytes removed: the file is opened once, nobody else
// writing or removing it meanwhile.
static TextId RemoveOnce(Installing& removing, const InstalledFile& file, int index, int* held)
{
    *held = 0;
    if (!removing.root)
        return TextNotRemovedLabel;
    TreeFileFound target = TreeFileAbsent;
    HANDLE folder = InstallationHoldWay(removing.order, removing.root, file.path, 0, &target, &removing.linkName);
    if (removing.linkName)
        return TextNotRemovedLabel;
    if (!folder || target == TreeFileAbsent)
        return TextMissingLabel;
    // Windows removes no read-only file: what the user protected stays.
    if (target != TreeFilePlain)
        return TextNotRemovedLabel;
    int refuseLinks = InstallationRefusesLinks(removing.order.run);
    HANDLE entry = TreeOpenToRemove(folder, InstallationNamePart(file.path), refuseLinks, held);
    if (!entry)
        return TextNotRemovedLabel;
    if (!InstallationFileIsThisVersions(entry, index)) {
        CloseHandle(entry);
        return TextKeptChangedLabel;
    }
    return RemovalDelete(entry) ? TextRemovedLabel : TextNotRemovedLabel;
}

// The residents file is kept whatever it holds; only whether it is there
// is said.
static TextId KeepShared(Installing& removing, const InstalledFile& file)
{
    TreeFileFound target = TreeFileAbsent;
    HANDLE folder = removing.root
        ? InstallationHoldWay(removing.order, removing.root, file.path, 0, &target, &removing.linkName)
        : nullptr;
    return folder && target != TreeFileAbsent ? TextKeptSharedLabel : TextMissingLabel;
}

// A file held by another program is tried again for as long as the log's
// reader, having closed it there, asks for it.
static void RemoveFile(Installing& removing, int index)
{
    if (!removing.going)
        return;
    InstalledFile file = InstallationFile(index, removing.order.language);
    int held = 0;
    TextId label = file.shared ? KeepShared(removing, file) : RemoveOnce(removing, file, index, &held);
    while (label == TextNotRemovedLabel && held && InstallationAskAgain(removing.order, file.path, file.path))
        label = RemoveOnce(removing, file, index, &held);
    if (label == TextNotRemovedLabel || label == TextKeptChangedLabel)
        removing.filesNotWritten++;
    const char* link = label == TextNotRemovedLabel ? removing.linkName : nullptr;
    InstallationAdvance(removing, InstallationLogFile(removing.order, label, file.path, TextLinkNotRemoved, link));
}

// The folder (under the host, ending in a backslash) when empty, opened
// from its held parent; nothing is said of one that stays. Only the host
// stays held: a folder held as a parent could not be removed next.
static void RemoveFolder(Installing& removing, char* folder)
{
    int length = StrLen(folder);
    folder[length - 1] = 0;
    TreeFileFound target = TreeFileAbsent;
    HANDLE parent = InstallationHoldWay(removing.order, removing.root, folder, 0, &target, &removing.linkName);
    int held = 0;
    HANDLE entry = parent && target == TreeFileFolder
        ? TreeOpenToRemove(parent, InstallationNamePart(folder), InstallationRefusesLinks(removing.order.run), &held)
        : nullptr;
    TreeReleaseAllBut(removing.root);
    folder[length - 1] = '\\';
    if (entry && RemovalDelete(entry))
        InstallationAdvance(removing, InstallationLogFile(removing.order, TextRemovedFolderLabel, folder, TextLinkNotRemoved, nullptr));
}

// 1 when the folder lies below PureBasic's example folder.
static int InExamples(const char* folder)
{
    int examplesLength = StrLen(ExamplesFolder);
    if (StrLen(folder) <= examplesLength)
        return 0;
    for (int i = 0; i < examplesLength; i++) {
        if (folder[i] != ExamplesFolder[i])
            return 0;
    }
    return 1;
}

// Cuts a folder's path (ending in a backslash) to its parent's.
static void CutToParent(char* folder)
{
    int length = StrLen(folder) - 1;
    while (length > 0 && folder[length - 1] != '\\')
        length--;
    folder[length] = 0;
}

// Each example's folders, from its own up to the library's example folder:
// the last example's walk takes the folders the others left.
static void RemoveExampleFolders(Installing& removing)
{
    TreeReleaseAllBut(removing.root);
    for (int index = 0; index < InstalledFileCount && removing.going && removing.root; index++) {
        InstalledFile file = InstallationFile(index, removing.order.language);
        char* folder = StrWorkPosition();
        StrPathPart(file.path, folder);
        StrSkipTerminator();
        for (; removing.going && InExamples(folder); CutToParent(folder))
            RemoveFolder(removing, folder);
        StrRewind(folder);
    }
}

void RemoveHere(Installing& removing)
{
    InstallationAdvance(removing, InstallationLogHost(*removing.order.log, removing.order.host));
    for (int index = 0; index < InstalledFileCount; index++)
        RemoveFile(removing, index);
    RemoveExampleFolders(removing);
}

InstallationOutcome RemovalOrInstallHere(const InstallationOrder& order)
{
    Installing run = {order, InstallationHoldHost(order), nullptr, 0, 1};
    if (order.removal)
        RemoveHere(run);
    else
        InstallHere(run);
    TreeRelease();
    StrFree(run.linkName);
    return {InstallationDone, run.filesNotWritten, 0, 0};
}
