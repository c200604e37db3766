#include "app/install/Removal.h"
#include "app/install/InstallationLog.h"
#include "runtime/ScopedHandle.h"
#include "runtime/Str.h"
#include "runtime/Tree.h"

// PureBasic's own folder above the library's examples, never removed.
static const char ExamplesFolder[] = "Examples\\";

// One try at one file; the label that says what came of it. The bytes
// compared are the bytes removed: the file is opened once, nobody else
// writing or removing it meanwhile.
// A file is missing only when the system says that it, or a folder on its
// way, is not there: one that cannot be reached otherwise (a folder held
// without sharing, access denied) may still be there, and is not removed.
static TextId RemoveOnce(Installing& removing, const InstalledFile& file, int index, int* held)
{
    TreeFileFound target = TreeFileAbsent;
    HeldFolder folder = nullptr;
    TreeMiss miss = InstallationHoldWay(removing, file.path, 0, &folder, &target);
    *held = miss == TreeMissHeld;
    if (miss == TreeMissAbsent || (miss == TreeMissNone && target == TreeFileAbsent))
        return TextMissingLabel;
    // Windows removes no read-only file: what the user protected stays.
    if (miss != TreeMissNone || target != TreeFilePlain)
        return TextNotRemovedLabel;
    int refuseLinks = InstallationRefusesLinks(removing.order.run);
    ScopedHandle entry;
    miss = TreeOpenEntry(folder, InstallationNamePart(file.path), TreeEntryFile, TreeEntryToRemove, refuseLinks,
                         entry.Receive());
    *held = miss == TreeMissHeld;
    if (miss == TreeMissAbsent)
        return TextMissingLabel;
    if (miss != TreeMissNone)
        return TextNotRemovedLabel;
    if (!InstallationFileIsThisVersions(entry.handle, index))
        return TextKeptChangedLabel;
    return TreeDeleteOpen(entry.handle) ? TextRemovedLabel : TextNotRemovedLabel;
}

// The residents file is kept whatever it holds; only whether it is there
// is said, and it is missing only when the system says so.
static TextId KeepShared(Installing& removing, const InstalledFile& file)
{
    TreeFileFound target = TreeFileAbsent;
    HeldFolder folder = nullptr;
    TreeMiss miss = InstallationHoldWay(removing, file.path, 0, &folder, &target);
    int missing = miss == TreeMissAbsent || (miss == TreeMissNone && target == TreeFileAbsent);
    return missing ? TextMissingLabel : TextKeptSharedLabel;
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
    while (label == TextNotRemovedLabel && held && InstallationAskAgain(removing, file.path, file.path))
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
    HeldFolder parent = nullptr;
    InstallationHoldWay(removing, folder, 0, &parent, &target);
    ScopedHandle entry;
    if (parent && target == TreeFileFolder)
        TreeOpenEntry(parent, InstallationNamePart(folder), TreeEntryFolder, TreeEntryToRemove,
                      InstallationRefusesLinks(removing.order.run), entry.Receive());
    TreeReleaseAllBut(removing.root);
    folder[length - 1] = '\\';
    int removed = entry.handle && TreeDeleteOpen(entry.handle);
    // The folder goes as its handle closes: before the log says it has.
    entry.Close();
    if (removed)
        InstallationAdvance(removing, InstallationLogFile(removing.order, TextRemovedFolderLabel, folder,
                                                          TextLinkNotRemoved, nullptr));
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
// the last example's walk takes the folders the others left. Each folder's
// way is held alone (InstallationHoldWay lets the one before go).
static void RemoveExampleFolders(Installing& removing)
{
    for (int index = 0; index < InstalledFileCount && removing.going && removing.root; index++) {
        InstalledFile file = InstallationFile(index, removing.order.language);
        TempStr folder = StrWorkPosition();
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
