#include "Installation.h"
#include "ExitCodes.h"
#include "Texts.h"
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

InstalledFile InstallationFile(int index, unsigned char language)
{
    if (index == HelpIndex) {
        if (language == LanguageFrench)
            return {"Help\\Quillfern.chm", HelpFrenchStart, HelpEnglishStart, 0};
        return {"Help\\Quillfern.chm", HelpEnglishStart, LibraryFileStart, 0};
    }
    if (index == LibraryIndex)
        return {"PureLibraries\\UserLibraries\\Quillfern", LibraryFileStart, ResidentFileStart, 0};
    if (index == ResidentIndex)
        return {"Residents\\Ostravel.res", ResidentFileStart, ExampleSourcesStart, 1};
    // Each example's bytes follow the previous one's.
    const unsigned char* start = ExampleSourcesStart;
    for (int i = FirstExampleIndex; i < index; i++)
        start += ExampleTable[i - FirstExampleIndex].Size;
    const ExampleEntry& entry = ExampleTable[index - FirstExampleIndex];
    return {entry.Name, start, start + entry.Size, 0};
}

int InstallationFileIsThisVersions(HANDLE file, int index)
{
    InstalledFile french = InstallationFile(index, LanguageFrench);
    InstalledFile english = InstallationFile(index, LanguageEnglish);
    return FileHandleMatches(file, french.start, french.end)
        || (english.start != french.start && FileHandleMatches(file, english.start, english.end));
}

// The log's separator.
static const char SeparatorLine[] = "==============================================================";
static_assert(sizeof SeparatorLine - 1 == 62, "the separator is 62 characters wide");

// One installation under way: its order, and what it has come to.
struct Installing {
    const InstallationOrder& order;
    // Where its files go: the host folder's final path for a process with
    // rights, else the host folder as found (which the log names).
    char* writeRoot;
    // The link, as the log names it, that kept the file last tried from
    // being written; null when none did.
    char* linkName;
    int filesNotWritten;
    int going;              // 0 once the log's reader is gone
};

unsigned InstallationExitCode(const InstallationOutcome& outcome)
{
    if (outcome.end == InstallationRefused)
        return ExitNoRights;
    if (outcome.end == InstallationCopyFailed)
        return ExitIncomplete;
    return outcome.filesNotWritten == 0 ? ExitOk : ExitIncomplete;
}

// Builds the parts one after the other in the work buffer as an argument;
// the caller rewinds the work position to the returned start when done.
static char* JoinArgument(const char* first, const char* second, const char* third = nullptr)
{
    char* start = StrWorkPosition();
    StrAppend(first);
    StrAppend(second);
    StrAppend(third);
    StrSkipTerminator();
    return start;
}

// A process with rights makes a folder only in one held and reached
// through no link; the file under a link is then reported on its own.
static void CreateFolder(const char* root, const char* folder)
{
    char* path = JoinArgument(root, folder);
    // The folder's parent, relative to the root: up to the backslash before
    // its own name.
    int cut = StrLen(folder) - 1;
    while (cut > 0 && folder[cut - 1] != '\\')
        cut--;
    char* parent = StrWorkPosition();
    StrMid(folder, 1, cut, parent);
    StrSkipTerminator();
    int linkEnd = 0;
    if (!TreeRefusesLinks() || TreeHoldWay(root, parent, &linkEnd))
        DirCreate(path);
    StrRewind(path);
}

// The folders under the host folder, each parent before its children; the
// examples' own folders come from their names.
static const char* const HostFolders[] = {
    "", "Examples\\", "Examples\\Quillfern\\", "Residents\\", "PureLibraries\\",
    "PureLibraries\\UserLibraries\\", "Help\\",
};

static void CreateHostFolders(const char* root)
{
    for (const char* folder : HostFolders)
        CreateFolder(root, folder);
}

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
    char* path = JoinArgument(folder, "QuillfernSetup-", digits);
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

static int CanWriteUnder(const char* host, const char* first, const char* second = nullptr)
{
    char* folder = JoinArgument(host, first, second);
    char* parent = StrWorkPosition();
    StrPathPart(folder, parent);
    StrSkipTerminator();
    int writable = CanWriteIn(parent);
    StrRewind(folder);
    return writable;
}

int InstallationCanWrite(const char* host)
{
    for (const char* folder : HostFolders) {
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

// A file's new bytes go to a file of their own beside it, named after it
// with this suffix, which takes its place only once complete: a reinstall
// that fails part-way leaves the file that worked. The name is fixed, so a
// run cut off leaves at most one per target, which the next run replaces or
// removes. The suffix comes last, so that the new file does not carry the
// target's extension, by which the host might take it for one of its own.
static const char NewFileSuffix[] = ".new";

// Writes the bytes to a new file, byte by byte, and reads them back:
// 1 when the file holds them all, exactly.
static int WriteVerifiedFile(const char* path, const unsigned char* start, const unsigned char* end)
{
    if (!FileCreateNew(0, path))
        return 0;
    const unsigned char* next = start;
    while (next < end && FileWriteByte(RtByteAt(next)))
        next++;
    // Flushed before the move: after a power cut the target holds the new
    // bytes or the old ones, never a name whose bytes were still in a cache.
    int flushed = FileFlush(0);
    FileClose(0);
    return next == end && flushed && FileMatches(path, start, end);
}

// A new file that could not take the target's place, or a leftover from an
// interrupted run. A process with rights removes it as a file, never what a
// link there leads to.
static void RemoveNewFile(const char* fresh)
{
    if (TreeRefusesLinks())
        TreeRemoveFile(fresh);
    else
        FileDelete(fresh);
}

// Windows refuses to move over a read-only file and Wine does not: the rule
// is kept here, so that what the user protected stays protected. Whatever
// fails, the target is left as it was and no new file stays behind; *held
// tells whether another program holding the target open kept it there.
static int ReplaceTarget(const char* target, const unsigned char* start, const unsigned char* end, int* held)
{
    char* fresh = JoinArgument(target, NewFileSuffix);
    *held = 0;
    RemoveNewFile(fresh);
    int replaced = !FileIsReadOnly(target) && WriteVerifiedFile(fresh, start, end)
        && FileMoveReplacing(fresh, target, held);
    // After a move there is none.
    RemoveNewFile(fresh);
    StrRewind(fresh);
    return replaced;
}

// Asks whether to try again, naming the programs that hold the file.
int InstallationAskAgain(const InstallationOrder& order, const char* path, const char* name)
{
    char* holders = StrWorkPosition();
    HolderNames(path, holders);
    StrSkipTerminator();
    int again = LogAskHeld(*order.log, order.language, name, holders);
    StrRewind(holders);
    return again;
}

int InstallationWayIsSafe(const char* host, const char* root, const char* path, char** linkName)
{
    StrFree(*linkName);
    *linkName = nullptr;
    int linkEnd = 0;
    const char* relative = path + StrLen(root);
    if (!TreeRefusesLinks() || TreeHoldWay(root, relative, &linkEnd))
        return 1;
    if (linkEnd != 0) {
        char* name = StrWorkPosition();
        StrAppend(host);
        StrMid(relative, 1, linkEnd < 0 ? 0 : linkEnd, StrWorkPosition());
        StrAssign(linkName, name);
    }
    return 0;
}

// 1 when a process with rights may write the file: every folder on its way
// is held, and neither they nor the file is a link. Else the link, when one
// is the cause, is kept for the log.
static int WayIsSafe(Installing& installing, const char* path)
{
    return InstallationWayIsSafe(installing.order.host, installing.writeRoot, path, &installing.linkName);
}

// A target held open by another program is tried again for as long as the
// user, having closed it there, asks for it; `path` is under the write
// root, `name` is the log's.
static int InstallFile(Installing& installing, const char* path, const char* name, const unsigned char* start,
                       const unsigned char* end)
{
    // The way is checked again for each try: the question may wait long.
    int held = 0;
    int written = WayIsSafe(installing, path) && ReplaceTarget(path, start, end, &held);
    while (!written && held && InstallationAskAgain(installing.order, path, name)) {
        held = 0;
        written = WayIsSafe(installing, path) && ReplaceTarget(path, start, end, &held);
    }
    if (!written)
        installing.filesNotWritten++;
    return written;
}

static void Advance(Installing& installing, int lines)
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

int InstallationLogFile(const InstallationOrder& order, TextId label, const char* name, TextId through,
                        const char* link)
{
    int lines = LogThreeLines(*order.log, "", TextIn(label, order.language), name);
    if (!link)
        return lines;
    char* line = StrWorkPosition();
    StrAppend(TextIn(TextLinkStart, order.language));
    StrAppend(name);
    StrAppend(TextIn(through, order.language));
    StrAppend(link);
    StrAppend(TextIn(TextLinkEnd, order.language));
    StrSkipTerminator();
    lines += LogLine(*order.log, line);
    StrRewind(line);
    return lines;
}

// The three lines of one file: an empty line, the label, the file's name;
// then the link, when one kept it from being written.
static int LogFile(const Installing& installing, int written, const char* name)
{
    TextId label = written ? TextExtractedLabel : TextNotWrittenLabel;
    return InstallationLogFile(installing.order, label, name, TextLinkThrough, written ? nullptr : installing.linkName);
}

// The caret first steps over the lines logged before the help file.
static void InstallHelp(Installing& installing, int linesBefore)
{
    const InstallationOrder& order = installing.order;
    InstalledFile help = InstallationFile(HelpIndex, order.language);
    char* path = JoinArgument(installing.writeRoot, help.path);
    int written = InstallFile(installing, path, help.path, help.start, help.end);
    StrRewind(path);
    Advance(installing, linesBefore);
    char* heading = JoinArgument(order.host, " . . .");
    int lines = LogLine(*order.log, heading);
    StrRewind(heading);
    Advance(installing, lines + LogFile(installing, written, help.path));
}

// Each file after the first only while someone reads the log: the copy with
// rights stops when its first copy is gone, leaving no file half written.
static void InstallItem(Installing& installing, int index)
{
    if (!installing.going)
        return;
    InstalledFile item = InstallationFile(index, installing.order.language);
    char* path = JoinArgument(installing.writeRoot, item.path);
    int written = InstallFile(installing, path, item.path, item.start, item.end);
    StrRewind(path);
    Advance(installing, LogFile(installing, written, item.path));
}

static void InstallExample(Installing& installing, int index)
{
    InstalledFile example = InstallationFile(index, installing.order.language);
    char* folder = StrWorkPosition();
    StrPathPart(example.path, folder);
    StrSkipTerminator();
    CreateFolder(installing.writeRoot, folder);
    char* path = JoinArgument(installing.writeRoot, example.path);
    const char* name = example.path + ExampleFolderLength;
    int written = InstallFile(installing, path, name, example.start, example.end);
    StrRewind(folder);
    Advance(installing, LogFile(installing, written, name));
}

static void InstallExamples(Installing& installing)
{
    if (!installing.going)
        return;
    const InstallationOrder& order = installing.order;
    char* folder = JoinArgument(order.host, ExampleFolder, "\\");
    Advance(installing, LogThreeLines(*order.log, "", SeparatorLine, folder));
    StrRewind(folder);
    for (int i = FirstExampleIndex; i < InstalledFileCount && installing.going; i++)
        InstallExample(installing, i);
}

// A process with rights takes the host folder at its final path, held: a
// folder reached through a link (a moved installation) still installs, into
// the folder itself. The log names the folder as found.
char* InstallationWriteRoot(const char* host)
{
    char* root = StrWorkPosition();
    if (!TreeRefusesLinks() || !TreeFinalFolder(host, root))
        StrMid(host, 1, StrLen(host), root);
    char* kept = nullptr;
    StrAssign(&kept, root);
    return kept;
}

InstallationOutcome InstallHere(const InstallationOrder& order)
{
    Installing installing = {order, InstallationWriteRoot(order.host), nullptr, 0, 1};
    CreateHostFolders(installing.writeRoot);
    InstallHelp(installing, LogLine(*order.log, SeparatorLine));
    InstallItem(installing, LibraryIndex);
    InstallItem(installing, ResidentIndex);
    InstallExamples(installing);
    TreeRelease();
    StrFree(installing.writeRoot);
    StrFree(installing.linkName);
    return {InstallationDone, installing.filesNotWritten, 0, 0};
}
