#include "app/install/Installation.h"
#include "app/AppHook.h"
#include "app/ExitCodes.h"
#include "app/Texts.h"
#include "app/install/HostLocator.h"
#include "payload/Payload.h"
#include "runtime/File.h"
#include "runtime/Holder.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"
#include "runtime/Tree.h"

// The library's example folder; the log names each example relative to it.
static const char ExampleFolder[] = "Examples\\Quillfern";
constexpr int ExampleFolderLength = sizeof ExampleFolder - 1;

struct ExampleEntry {
    const char* Name;   // under the host folder, in the example folder
    int Size;           // bytes within the example sources item
};

static const ExampleEntry ExampleTable[] = {
    {"Examples\\Quillfern\\Tintwell\\Tintwell.pb", PayloadExampleTintwellSize},
};
constexpr int ExampleCount = sizeof ExampleTable / sizeof ExampleTable[0];

// The files before the examples, in the order installed.
constexpr int HelpIndex = 0;
constexpr int LibraryIndex = 1;
constexpr int ResidentIndex = 2;
constexpr int FirstExampleIndex = 3;
static_assert(FirstExampleIndex + ExampleCount == InstalledFileCount, "every file installed is counted");

static const char HelpPath[] = "Help\\Quillfern.chm";
static const char LibraryPath[] = "PureLibraries\\UserLibraries\\Quillfern";
static const char ResidentPath[] = "Residents\\Ostravel.res";

// Named constants: a braced value returned would be copied from writable data.
static const InstalledFile HelpInFrench = {HelpPath, HelpPath, HelpFrenchStart, HelpEnglishStart, 0};
static const InstalledFile HelpInEnglish = {HelpPath, HelpPath, HelpEnglishStart, LibraryFileStart, 0};
static const InstalledFile LibraryFile = {LibraryPath, LibraryPath, LibraryFileStart, ResidentFileStart, 0};
static const InstalledFile ResidentFile = {ResidentPath, ResidentPath, ResidentFileStart, ExampleSourcesStart, 1};

InstalledFile InstallationFile(int index, unsigned char language)
{
    if (index == HelpIndex)
        return language == LanguageFrench ? HelpInFrench : HelpInEnglish;
    if (index == LibraryIndex)
        return LibraryFile;
    if (index == ResidentIndex)
        return ResidentFile;
    // Each example's bytes follow the previous one's.
    const unsigned char* start = ExampleSourcesStart;
    for (int i = FirstExampleIndex; i < index; i++)
        start += ExampleTable[i - FirstExampleIndex].Size;
    const ExampleEntry& entry = ExampleTable[index - FirstExampleIndex];
    InstalledFile example;
    example.path = entry.Name;
    example.name = entry.Name + ExampleFolderLength;
    example.start = start;
    example.end = start + entry.Size;
    example.shared = 0;
    return example;
}

int InstallationFileIsThisVersions(HANDLE file, int index)
{
    InstalledFile french = InstallationFile(index, LanguageFrench);
    InstalledFile english = InstallationFile(index, LanguageEnglish);
    return FileHandleMatches(file, french.start, french.end)
        || (english.start != french.start && FileHandleMatches(file, english.start, english.end));
}

unsigned InstallationExitCode(const InstallationOutcome& outcome)
{
    if (outcome.end == InstallationRefused)
        return ExitNoRights;
    if (outcome.end == InstallationCopyFailed)
        return ExitIncomplete;
    return outcome.filesNotWritten == 0 ? ExitOk : ExitIncomplete;
}

// The folders under the host folder that the write test looks at, one
// after the other, each ended by its terminator (the first is the host
// itself); the examples' own folders come from their names.
static const char HostFolders[] = "\0Examples\\\0Examples\\Quillfern\\\0Residents\\\0PureLibraries\\\0"
                                  "PureLibraries\\UserLibraries\\\0Help\\";

// Digits of the test file's name: no other file there has it.
constexpr int TestNameDigits = 16;

// A folder that does not exist yet passes: it is made under one that does.
// The file, of a new name, is gone when its handle closes. Only "access
// denied" is for want of rights.
static int CanWriteIn(const char* folder)
{
    char digits[TestNameDigits + 1];
    if (!RtRandomHex(digits, TestNameDigits))
        return HostWriteFailed;
    wchar_t* wideFolder = FileWidePath(folder);
    DWORD attributes = wideFolder ? GetFileAttributesW(wideFolder) : INVALID_FILE_ATTRIBUTES;
    RtFree(wideFolder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return HostWritable;
    char* path = StrJoin(folder, "QuillfernSetup-", digits);
    wchar_t* wide = FileWidePath(path);
    StrRewind(path);
    HANDLE file = wide ? CreateFileW(wide, GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr)
                       : INVALID_HANDLE_VALUE;
    DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    RtFree(wide);
    if (file == INVALID_HANDLE_VALUE)
        return error == ERROR_ACCESS_DENIED ? HostWriteDenied : HostWriteFailed;
    CloseHandle(file);
    return HostWritable;
}

// The write test in the folder that holds `relative` under the host folder.
static int CanWriteUnder(const char* host, const char* relative)
{
    char* folder = StrJoin(host, relative);
    char* parent = StrWorkPosition();
    StrPathPart(folder, parent);
    StrSkipTerminator();
    int writable = CanWriteIn(parent);
    StrRewind(folder);
    return writable;
}

int InstallationCanWriteUnhooked(const char* host)
{
    for (const char* folder = HostFolders; folder < HostFolders + sizeof HostFolders; folder += StrLen(folder) + 1) {
        int found = CanWriteUnder(host, folder);
        if (found != HostWritable)
            return found;
    }
    for (int i = 0; i < ExampleCount; i++) {
        int found = CanWriteUnder(host, ExampleTable[i].Name);
        if (found != HostWritable)
            return found;
    }
    return HostWritable;
}

int InstallationCanWrite(const char* host)
{
    if (AppHooks.InstallationCanWrite)
        return AppHooks.InstallationCanWrite(host);
    return InstallationCanWriteUnhooked(host);
}

// A file's new bytes go to a file of their own beside it, named after it
// with this suffix, which takes its place only once complete: a reinstall
// that fails part-way leaves the file that worked. The name is fixed, so a
// run cut off leaves at most one per target, which the next run removes. The suffix comes last, so that the new file does not carry the
// target's extension, by which the host might take it for one of its own.
static const char NewFileSuffix[] = ".new";

// Writes the bytes to a new file of the held folder, all of them in one go
// (a byte at a time took several times as long), reads them back through
// the same handle and renames it over the target: 1 when the target holds
// them all, exactly. Whatever fails, the new file is removed through its
// handle; *held tells whether another program holding the target open kept
// it there.
// A new file's name found taken is a leftover from an interrupted run: it is
// removed, as a file, never what a link there leads to, and the new file
// made again.
static int WriteVerifiedFile(HANDLE folder, const char* fresh, const char* target, const unsigned char* start,
                             const unsigned char* end, int* held)
{
    HANDLE made = TreeCreateFile(folder, fresh);
    if (!made && TreeRemoveFile(folder, fresh))
        made = TreeCreateFile(folder, fresh);
    HANDLE file = FileTake(0, made);
    if (!file)
        return 0;
    int written = FileWriteBytes(start, end);
    // Flushed before the move: after a power cut the target holds the new
    // bytes or the old ones, never a name whose bytes were still in a cache.
    int flushed = FileFlush(0);
    int replaced = written && flushed && FileHandleMatches(file, start, end)
        && TreeRename(file, folder, target, held);
    if (!replaced)
        TreeDeleteOpen(file);
    FileClose(0);
    return replaced;
}

// The target is replaced when it may be; a leftover new file goes either way.
static int ReplaceTarget(HANDLE folder, const char* target, int replaceable, const unsigned char* start,
                         const unsigned char* end, int* held)
{
    char* fresh = StrJoin(target, NewFileSuffix);
    *held = 0;
    int replaced = 0;
    if (replaceable)
        replaced = WriteVerifiedFile(folder, fresh, target, start, end, held);
    else
        TreeRemoveFile(folder, fresh);
    StrRewind(fresh);
    return replaced;
}

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
    HANDLE held = installing.root ? TreeOpenToAsk(installing.root, relative) : nullptr;
    HolderNamesOfOpen(held, holders);
    if (held)
        CloseHandle(held);
}

int InstallationAskAgain(const Installing& installing, const char* relative, const char* name)
{
    char* holders = StrWorkPosition();
    HoldersOf(installing, relative, holders);
    StrSkipTerminator();
    int again = LogAskHeld(*installing.order.log, installing.order.language, name, holders);
    StrRewind(holders);
    return again;
}

// The link, as the log names it: the first `length` bytes of the path
// relative to the host.
static void KeepLink(const char* host, const char* relative, int length, char** linkName)
{
    char* name = StrWorkPosition();
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

TreeMiss InstallationHoldWay(Installing& installing, const char* relative, int create, HANDLE* folder,
                             TreeFileFound* target)
{
    const InstallationOrder& order = installing.order;
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
    HANDLE way = nullptr;
    *held = InstallationHoldWay(installing, relative, 1, &way, &target) == TreeMissHeld;
    // Windows refuses to move over a read-only file and Wine does not: the
    // rule is kept here, so that what the user protected stays protected.
    int replaceable = target == TreeFileAbsent || target == TreeFilePlain;
    int written = way && ReplaceTarget(way, InstallationNamePart(relative), replaceable, start, end, held);
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

// Three lines in this order, one statement each: the operands of + are
// unsequenced, so a sum of the calls could append them in any order.
static int LogThreeLines(const LogSinks& log, const char* first, const char* second, const char* third)
{
    int lines = LogLine(log, first);
    lines += LogLine(log, second);
    lines += LogLine(log, third);
    return lines;
}

int InstallationLogLink(const LogSinks& log, unsigned char language, const char* name, TextId through,
                        const char* link)
{
    char* line = StrWorkPosition();
    StrAppend(TextIn(TextLinkStart, language));
    StrAppend(name);
    StrAppend(TextIn(through, language));
    StrAppend(link);
    StrAppend(TextIn(TextLinkEnd, language));
    StrSkipTerminator();
    int lines = LogLine(log, line);
    StrRewind(line);
    return lines;
}

int InstallationLogFile(const InstallationOrder& order, TextId label, const char* name, TextId through,
                        const char* link)
{
    int lines = LogThreeLines(*order.log, "", TextIn(label, order.language), name);
    return link ? lines + InstallationLogLink(*order.log, order.language, name, through, link) : lines;
}

// The three lines of one file: an empty line, the label, the file's name;
// then the link, when one kept it from being written.
static int LogFile(const Installing& installing, int written, const char* name)
{
    TextId label = written ? TextExtractedLabel : TextNotWrittenLabel;
    const char* link = written ? nullptr : installing.linkName;
    return InstallationLogFile(installing.order, label, name, TextLinkThrough, link);
}

int InstallationLogHost(const LogSinks& log, const char* host)
{
    char* heading = StrJoin(host, " . . .");
    int lines = LogLine(log, heading);
    StrRewind(heading);
    return lines;
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
    char* folder = StrJoin(order.host, ExampleFolder, "\\");
    InstallationAdvance(installing, LogThreeLines(*order.log, "", TextIn(TextSeparatorLine, order.language), folder));
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
    if (order.run == RunForFirstCopy && FileIsOnNetwork(order.host)) {
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
