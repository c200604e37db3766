#include "Installation.h"
#include "ExitCodes.h"
#include "Texts.h"
#include "payload/Payload.h"
#include "runtime/File.h"
#include "runtime/Holder.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"

struct ExampleEntry {
    const char* Name;   // relative to the library's example folder, with a leading backslash
    int Size;           // bytes within the example sources item
};

static const ExampleEntry ExampleTable[] = {
    {"\\Tintwell\\Tintwell.pb", PayloadExampleTintwellSize},
};
constexpr int ExampleCount = sizeof ExampleTable / sizeof ExampleTable[0];

// The log's separator.
static const char SeparatorLine[] = "==============================================================";
static_assert(sizeof SeparatorLine - 1 == 62, "the separator is 62 characters wide");

// One installation under way: its order, and what it has come to.
struct Installing {
    const InstallationOrder& order;
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

static void CreateFolder(const char* host, const char* folder)
{
    char* path = JoinArgument(host, folder);
    DirCreate(path);
    StrRewind(path);
}

// The folders under the host folder, each parent before its children; the
// examples' own folders come from their names.
static const char* const HostFolders[] = {
    "", "Examples\\", "Examples\\Quillfern\\", "Residents\\", "PureLibraries\\",
    "PureLibraries\\UserLibraries\\", "Help\\",
};

static void CreateHostFolders(const char* host)
{
    for (const char* folder : HostFolders)
        CreateFolder(host, folder);
}

// Digits of the test file's name: no other file there has it.
constexpr int TestNameDigits = 16;

// A folder that does not exist yet passes: it is made under one that does.
// The file, of a new name, is gone when its handle closes.
static int CanWriteIn(const char* folder)
{
    char digits[TestNameDigits + 1];
    if (!RtRandomHex(digits, TestNameDigits))
        return 0;
    wchar_t* wideFolder = FileWidePath(folder);
    DWORD attributes = wideFolder ? GetFileAttributesW(wideFolder) : INVALID_FILE_ATTRIBUTES;
    RtFree(wideFolder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 1;
    char* path = JoinArgument(folder, "QuillfernSetup-", digits);
    wchar_t* wide = FileWidePath(path);
    StrRewind(path);
    HANDLE file = wide ? CreateFileW(wide, GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr)
                       : INVALID_HANDLE_VALUE;
    RtFree(wide);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(file);
    return 1;
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
        if (!CanWriteUnder(host, folder))
            return 0;
    }
    for (int i = 0; i < ExampleCount; i++) {
        if (!CanWriteUnder(host, "Examples\\Quillfern\\", ExampleTable[i].Name))
            return 0;
    }
    return 1;
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
    if (!FileCreate(0, path))
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

// Windows refuses to move over a read-only file and Wine does not: the rule
// is kept here, so that what the user protected stays protected. Whatever
// fails, the target is left as it was and no new file stays behind; *held
// tells whether another program holding the target open kept it there.
static int ReplaceTarget(const char* target, const unsigned char* start, const unsigned char* end, int* held)
{
    char* fresh = JoinArgument(target, NewFileSuffix);
    *held = 0;
    int replaced = !FileIsReadOnly(target) && WriteVerifiedFile(fresh, start, end)
        && FileMoveReplacing(fresh, target, held);
    // The new file that could not take the target's place, or a leftover
    // from an interrupted run; after a move there is none.
    FileDelete(fresh);
    StrRewind(fresh);
    return replaced;
}

// Asks whether to try again, naming the programs that hold the file.
static int AskAgainForHeldFile(const Installing& installing, const char* path, const char* name)
{
    char* holders = StrWorkPosition();
    HolderNames(path, holders);
    StrSkipTerminator();
    const InstallationOrder& order = installing.order;
    int again = LogAskHeld(*order.log, order.language, name, holders);
    StrRewind(holders);
    return again;
}

// A target held open by another program is tried again for as long as the
// user, having closed it there, asks for it; `name` is the log's.
static int InstallFile(Installing& installing, const char* path, const char* name, const unsigned char* start,
                       const unsigned char* end)
{
    int held = 0;
    int written = ReplaceTarget(path, start, end, &held);
    while (!written && held && AskAgainForHeldFile(installing, path, name))
        written = ReplaceTarget(path, start, end, &held);
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

// The three lines of one file: an empty line, the label, the file's name.
static int LogFile(const InstallationOrder& order, int written, const char* name)
{
    TextId label = written ? TextExtractedLabel : TextNotWrittenLabel;
    return LogThreeLines(*order.log, "", TextIn(label, order.language), name);
}

// The help file as the log names it.
static const char HelpName[] = "Help\\Quillfern.chm";

// The caret first steps over the lines logged before the help file.
static void InstallHelp(Installing& installing, int linesBefore)
{
    const InstallationOrder& order = installing.order;
    const unsigned char* start = order.language == LanguageFrench ? HelpFrenchStart : HelpEnglishStart;
    const unsigned char* end = order.language == LanguageFrench ? HelpEnglishStart : LibraryFileStart;
    char* path = JoinArgument(order.host, "\\", HelpName);
    int written = InstallFile(installing, path, HelpName, start, end);
    StrRewind(path);
    Advance(installing, linesBefore);
    char* heading = JoinArgument(order.host, " . . .");
    int lines = LogLine(*order.log, heading);
    StrRewind(heading);
    Advance(installing, lines + LogFile(order, written, HelpName));
}

// Each file after the first only while someone reads the log: the copy with
// rights stops when its first copy is gone, leaving no file half written.
static void InstallItem(Installing& installing, const char* target, const unsigned char* start,
                        const unsigned char* end)
{
    if (!installing.going)
        return;
    const InstallationOrder& order = installing.order;
    char* path = JoinArgument(order.host, target);
    int written = InstallFile(installing, path, target, start, end);
    StrRewind(path);
    Advance(installing, LogFile(order, written, target));
}

static void InstallExample(Installing& installing, const ExampleEntry& entry, const unsigned char* bytes)
{
    const InstallationOrder& order = installing.order;
    char* path = JoinArgument(order.host, "Examples\\Quillfern\\", entry.Name);
    char* folder = StrWorkPosition();
    StrPathPart(path, folder);
    StrSkipTerminator();
    DirCreate(folder);
    int written = InstallFile(installing, path, entry.Name, bytes, bytes + entry.Size);
    StrRewind(path);
    Advance(installing, LogFile(order, written, entry.Name));
}

static void InstallExamples(Installing& installing)
{
    if (!installing.going)
        return;
    const InstallationOrder& order = installing.order;
    char* folder = JoinArgument(order.host, "Examples\\Quillfern\\");
    Advance(installing, LogThreeLines(*order.log, "", SeparatorLine, folder));
    StrRewind(folder);
    // Each example's bytes follow the previous one's, written or not.
    const unsigned char* cursor = ExampleSourcesStart;
    for (int i = 0; i < ExampleCount && installing.going; i++) {
        InstallExample(installing, ExampleTable[i], cursor);
        cursor += ExampleTable[i].Size;
    }
}

InstallationOutcome InstallHere(const InstallationOrder& order)
{
    Installing installing = {order, 0, 1};
    CreateHostFolders(order.host);
    InstallHelp(installing, LogLine(*order.log, SeparatorLine));
    InstallItem(installing, "PureLibraries\\UserLibraries\\Quillfern", LibraryFileStart, ResidentFileStart);
    InstallItem(installing, "Residents\\Ostravel.res", ResidentFileStart, ExampleSourcesStart);
    InstallExamples(installing);
    return {InstallationDone, installing.filesNotWritten, 0, 0};
}
