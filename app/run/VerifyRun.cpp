// /VERIFY: whether each file this version installs is there with exactly
// its bytes. It reads and nothing more (but its /LOG= file): no guard, no
// write test, no rights asked for.
#include "app/ExitCodes.h"
#include "app/TextFormat.h"
#include "app/install/Installation.h"
#include "app/install/InstallationLog.h"
#include "app/run/Run.h"
#include "app/run/Windowless.h"
#include "app/script/ConsoleLog.h"
#include "runtime/ScopedHandle.h"
#include "runtime/Str.h"

// What one file is: this version's, missing, or anything else (changed,
// another version's, a folder of its name, unreadable, out of reach). It is
// read as an installation writes: from the held host, one name at a time,
// and, with rights, through no link; compared through the one handle opened.
static TextId VerifyFile(Installing& checking, int index)
{
    const char* relative = InstallationFile(index, checking.order.language).path;
    TreeFileFound target = TreeFileAbsent;
    HeldFolder folder = nullptr;
    TreeMiss miss = InstallationHoldWay(checking, relative, 0, &folder, &target);
    if (miss == TreeMissAbsent || (miss == TreeMissNone && target == TreeFileAbsent))
        return TextMissingFile;
    ScopedHandle file;
    if (miss == TreeMissNone)
        miss = TreeOpenEntry(folder, InstallationNamePart(relative), TreeEntryFile, TreeEntryToRead,
                             InstallationRefusesLinks(checking.order.run), file.Receive());
    if (miss == TreeMissAbsent)
        return TextMissingFile;
    if (miss != TreeMissNone)
        return TextDifferentFile;
    return InstallationFileIsThisVersions(file.handle, index) ? TextVerifiedFile : TextDifferentFile;
}

// The file's line, and the link that kept it from being read; 1 when it is
// this version's.
static int VerifyAndLog(Installing& checking, int index)
{
    const InstallationOrder& order = checking.order;
    const char* name = InstallationFile(index, order.language).path;
    TextId sentence = VerifyFile(checking, index);
    TempStr line = TextFormat(sentence, order.language, name);
    LogLine(*order.log, line);
    StrRewind(line);
    if (sentence == TextDifferentFile && checking.linkName)
        InstallationLogLink(*order.log, order.language, name, TextLinkNotRead, checking.linkName);
    return sentence == TextVerifiedFile;
}

static unsigned VerifyHost(const Run& run, int silent, const char* host)
{
    InstallationLogHost(run.log, host);
    InstallationOrder order = {run.language, host, &run.log, run.kind, 0};
    Installing checking = InstallationBegin(order);
    int others = 0;
    for (int index = 0; index < InstalledFileCount; index++)
        others += !VerifyAndLog(checking, index);
    InstallationEnd(checking);
    if (others == 0)
        return WindowlessEnd(run, silent, {TextVerifiedWhole, nullptr, 0}, ExitOk, 0);
    return WindowlessEndCount(run, silent, TextVerifiedNotWhole, others, ExitIncomplete, others);
}

unsigned VerifyRun(const CommandLine& line)
{
    Run run = RunStart(line, ConsoleLogSink());
    if (!WindowlessOpen(line, run))
        return RunEnd(run, ExitNotUnderstood);
    HeapStr host = WindowlessHost(run, line.silent, TextVerifyHeading);
    if (!host)
        return RunEnd(run, ExitNoHost);
    unsigned exitCode = VerifyHost(run, line.silent, host);
    StrFree(host);
    return RunEnd(run, exitCode);
}
