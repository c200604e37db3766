#include "app/install/Installation.h"
#include "app/TextFormat.h"
#include "app/Texts.h"
#include "app/install/HostLocator.h"
#include "app/install/InstallationLog.h"
#include "app/install/SafeReplace.h"
#include "runtime/File.h"
#include "runtime/Holder.h"
#include "runtime/ScopedHandle.h"
#include "runtime/Str.h"
#include "runtime/Tree.h"

// The programs that hold the file, or the first folder on its way that they
// hold: with rights, from the handle of what the run opened below its held
// host (a path would be resolved again, after every check).
static void HoldersOf(const Installing& installing, const char* relative, char* holders)
{
    if (!InstallationRefusesLinks(installing.order.run)) {
        // The names overwrite the path they were asked for, as results may.
        HolderNames(StrJoin(installing.order.host, relative), holders);
        return;
    }
    ScopedHandle asked(installing.root ? TreeOpenToAsk(installing.root, relative) : nullptr);
    HolderNamesOfOpen(asked.handle, holders);
}

int InstallationAskAgain(const Installing& installing, const char* relative, const char* name)
{
    TempStr holders = StrWorkPosition();
    HoldersOf(installing, relative, holders);
    StrSkipTerminator();
    int again = LogAskHeld(*installing.order.log, installing.order.language, name, holders);
    StrRewind(holders);
    return again;
}

// The link, as the log names it: the first `length` bytes of the path
// relative to the host.
static void KeepLink(const char* host, const char* relative, int length, HeapStr* linkName)
{
    TempStr name = StrWorkPosition();
    StrAppend(host);
    StrMid(relative, 1, length, StrWorkPosition());
    StrAssign(linkName, name);
}

const char* InstallationNamePart(const char* relative)
{
    const char* name = relative;
    for (const char* next = relative; *next; next++) {
        if (*next == '\\')
            name = next + 1;
    }
    return name;
}

TreeMiss InstallationHoldWay(Installing& installing, const char* relative, int create, HeldFolder* folder,
                             TreeFileFound* target)
{
    const InstallationOrder& order = installing.order;
    // Each try holds its own way: the one before is let go, or a question
    // about a held file, asked again and again, would keep every try's.
    TreeReleaseAllBut(installing.root);
    StrFree(installing.linkName);
    installing.linkName = nullptr;
    *folder = nullptr;
    *target = TreeFileAbsent;
    if (!installing.root) {
        StrSet(&installing.linkName, installing.rootLink);
        return installing.rootMiss;
    }
    int refuseLinks = InstallationRefusesLinks(order.run);
    int linkEnd = 0;
    // The way holds the folders only: the name after the last backslash is
    // no folder's.
    TreeMiss miss = TreeHoldWay(installing.root, relative, create, refuseLinks, folder, &linkEnd);
    *target = *folder ? TreeFileState(*folder, InstallationNamePart(relative), refuseLinks) : TreeFileAbsent;
    if (*target == TreeFileLinked) {
        linkEnd = StrLen(relative);
        *folder = nullptr;
        miss = TreeMissLink;
    }
    if (linkEnd != 0)
        KeepLink(order.host, relative, linkEnd, &installing.linkName);
    return miss;
}

// One try at the file, `relative` to the host. A run with rights that
// failed looks at the way again: a folder swapped for a link after it was
// held shows only then, and is named in the log.
static int TryFile(Installing& installing, const char* relative, const unsigned char* start,
                   const unsigned char* end, int* held)
{
    const InstallationOrder& order = installing.order;
    TreeFileFound target = TreeFileAbsent;
    HeldFolder way = nullptr;
    *held = InstallationHoldWay(installing, relative, 1, &way, &target) == TreeMissHeld;
    // Windows refuses to move over a read-only file and Wine does not: the
    // rule is kept here, so that what the user protected stays protected.
    int replaceable = target == TreeFileAbsent || target == TreeFilePlain;
    int written = way && SafeReplaceFile(way, InstallationNamePart(relative), replaceable, start, end, held);
    if (!written && !*held && replaceable && way && InstallationRefusesLinks(order.run))
        InstallationHoldWay(installing, relative, 1, &way, &target);
    return written;
}

// A target held open by another program is tried again for as long as the
// user, having closed it there, asks for it; `name` is the log's. The way
// is held again for each try: the question may wait long.
static int InstallFile(Installing& installing, const char* relative, const char* name, const unsigned char* start,
                       const unsigned char* end)
{
    int held = 0;
    int written = TryFile(installing, relative, start, end, &held);
    while (!written && held && InstallationAskAgain(installing, relative, name))
        written = TryFile(installing, relative, start, end, &held);
    if (!written)
        installing.filesNotWritten++;
    return written;
}

void InstallationAdvance(Installing& installing, int lines)
{
    if (!LogStep(*installing.order.log, lines))
        installing.going = 0;
}

// The three lines of one file: an empty line, the label, the file's name;
// then the link, when one kept it from being written.
static int LogFile(const Installing& installing, int written, const char* name)
{
    TextId label = written ? TextExtractedLabel : TextNotWrittenLabel;
    const char* link = written ? nullptr : installing.linkName;
    return InstallationLogFile(installing.order, label, name, TextLinkNotWritten, link);
}

// The caret first steps over the lines logged before the help file.
static void InstallHelp(Installing& installing, int linesBefore)
{
    const InstallationOrder& order = installing.order;
    InstalledFile help = InstallationFile(HelpIndex, order.language);
    int written = InstallFile(installing, help.path, help.name, help.start, help.end);
    InstallationAdvance(installing, linesBefore);
    int lines = InstallationLogHost(*order.log, order.host);
    InstallationAdvance(installing, lines + LogFile(installing, written, help.name));
}

// Each file after the first only while someone reads the log: the copy with
// rights stops when its first copy is gone, leaving no file half written.
static void InstallItem(Installing& installing, int index)
{
    if (!installing.going)
        return;
    InstalledFile file = InstallationFile(index, installing.order.language);
    int written = InstallFile(installing, file.path, file.name, file.start, file.end);
    InstallationAdvance(installing, LogFile(installing, written, file.name));
}

static void InstallExamples(Installing& installing)
{
    if (!installing.going)
        return;
    const InstallationOrder& order = installing.order;
    TempStr folder = StrJoin(order.host, ExampleFolder, "\\");
    InstallationAdvance(installing, InstallationLogSection(*order.log, order.language, folder));
    StrRewind(folder);
    for (int index = FirstExampleIndex; index < InstalledFileCount; index++)
        InstallItem(installing, index);
}

TreeReach InstallationReach(InstallationRun run)
{
    return InstallationRefusesLinks(run) ? TreeReachLocal : TreeReachByPath;
}

// The host folder, opened once and held: a folder reached through a link
// (a moved installation) installs into the folder itself; the log names it
// as found. A run with rights reaches it one name at a time, through no
// link to another machine, and checks PureBasic.exe through that handle:
// the folder checked before may have been swapped since. The copy with
// rights never reaches for a network folder even when named: that would
// hand the administrator's credentials to its server.
static void HoldHost(Installing& installing)
{
    const InstallationOrder& order = installing.order;
    if (order.run == RunRelaunched && FileIsOnNetwork(order.host)) {
        installing.rootMiss = TreeMissRemote;
        return;
    }
    int linkEnd = 0;
    installing.rootMiss = TreeHoldRoot(order.host, InstallationReach(order.run), &installing.root, &linkEnd);
    if (linkEnd > 0)
        StrAssign(&installing.rootLink, StrMid(order.host, 1, linkEnd, StrWorkPosition()));
    if (!installing.root || !InstallationRefusesLinks(order.run))
        return;
    TreeFileFound program = TreeFileState(installing.root, HostProgramName, 1);
    if (program == TreeFilePlain || program == TreeFileReadOnly)
        return;
    // Held, but let go with the rest at the installation's end.
    installing.root = nullptr;
    installing.rootMiss = TreeMissFailed;
}

Installing InstallationBegin(const InstallationOrder& order)
{
    Installing installing = {order, nullptr, TreeMissNone, nullptr, nullptr, 0, 1};
    HoldHost(installing);
    return installing;
}

void InstallationEnd(Installing& installing)
{
    TreeRelease();
    StrFree(installing.linkName);
    StrFree(installing.rootLink);
    installing.linkName = nullptr;
    installing.rootLink = nullptr;
    installing.root = nullptr;
}

void InstallHere(Installing& installing)
{
    InstallHelp(installing, LogLine(*installing.order.log, TextIn(TextSeparatorLine, installing.order.language)));
    InstallItem(installing, LibraryIndex);
    InstallItem(installing, ResidentIndex);
    InstallExamples(installing);
}
