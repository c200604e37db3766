#include "Installation.h"
#include "Installer.h"
#include "Channel.h"
#include "ConsoleLog.h"
#include "HeldFiles.h"
#include "Texts.h"
#include "gui/Ctl.h"
#include "payload/Payload.h"
#include "runtime/File.h"
#include "runtime/Holder.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"

unsigned char Language;
char* SeparatorLine;
ExampleEntry* ExampleTable;
int ExampleCount;

// The window's log line the caret stands on.
static int ListLine;
// Of the installation under way.
static int FilesNotWritten;

static char* ExtractedLabel;
static char* NotWrittenLabel;

static void FreeExampleTable()
{
    if (!ExampleTable)
        return;
    for (int i = 0; i <= RtArrayUpperBound(ExampleTable); i++)
        StrFree(ExampleTable[i].Name);
    RtArrayFree(ExampleTable);
    ExampleTable = nullptr;
}

void BuildExampleTable()
{
    FreeExampleTable();
    ExampleTable = (ExampleEntry*)RtArrayAlloc(sizeof(ExampleEntry), 2);
    ExampleCount = 0;
    if (!ExampleTable)
        return;
    ExampleCount = 1;
    StrSet(&ExampleTable[0].Name, "\\Tintwell\\Tintwell.pb");
    ExampleTable[0].Size = PayloadExampleTintwellSize;
}

// Lines are added to the log undrawn and shown together at the next step:
// once the log is longer than it is high, every line added and every caret
// move redrew its scroll bar, which cost more than writing the files.
// Drawing turned back on, the log is marked for a repaint whole: Windows
// leaves that to the window itself.
static void HoldLogDrawing(int held)
{
    HWND list = CtlHandle(LogList);
    SendMessageA(list, WM_SETREDRAW, held ? FALSE : TRUE, 0);
    if (!held)
        InvalidateRect(list, nullptr, TRUE);
}

// The caret follows the newest line. A single-selection list box refuses to
// move its caret while a line is selected, so the selection goes first.
static void ProgressStep()
{
    HWND list = CtlHandle(LogList);
    SendMessageA(list, LB_SETCURSEL, (WPARAM)-1, 0);
    SendMessageA(list, LB_SETCARETINDEX, (WPARAM)ListLine, 0);
    HoldLogDrawing(0);
    RtSleep(10);
}

// 1 when the list took the line, so that the caret is moved by the lines
// that are really there.
int LogLine(InstallationLog log, const char* text)
{
    if (log == LogToFirstCopy)
        return ChannelSendLine(text ? text : "");
    if (log == LogToOutput) {
        ConsoleLogLine(text ? text : "");
        return 1;
    }
    HoldLogDrawing(1);
    return CtlAddItem(LogList, -1, text ? text : "") >= 0 ? 1 : 0;
}

// Standard output has no list to scroll and no one to pause for; the first
// copy moves its own caret, pausing as it does for its own steps.
void LogAdvance(InstallationLog log, int lines)
{
    ListLine += lines;
    if (log == LogToFirstCopy)
        ChannelSendNumber(ChannelStep, lines);
    if (log == LogToWindow)
        ProgressStep();
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
static int AskAgainForHeldFile(InstallationLog log, const char* path, const char* name)
{
    char* holders = StrWorkPosition();
    HolderNames(path, holders);
    StrSkipTerminator();
    int again = AskRetryHeldFile(log, name, holders);
    StrRewind(holders);
    return again;
}

// A target held open by another program is tried again for as long as the
// user, having closed it there, asks for it; `name` is the log's.
static int InstallFile(InstallationLog log, const char* path, const char* name, const unsigned char* start,
                       const unsigned char* end)
{
    int held = 0;
    int written = ReplaceTarget(path, start, end, &held);
    while (!written && held && AskAgainForHeldFile(log, path, name))
        written = ReplaceTarget(path, start, end, &held);
    if (!written)
        FilesNotWritten++;
    return written;
}

// Three lines in this order, one statement each: the operands of + are
// unsequenced, so a sum of the calls could append them in any order.
static int LogThreeLines(InstallationLog log, const char* first, const char* second, const char* third)
{
    int lines = LogLine(log, first);
    lines += LogLine(log, second);
    lines += LogLine(log, third);
    return lines;
}

// The three lines of one file: an empty line, the label, the file's name.
static int LogFile(InstallationLog log, int written, const char* name)
{
    return LogThreeLines(log, "", written ? ExtractedLabel : NotWrittenLabel, name);
}

// The help file as the log names it.
static const char HelpName[] = "Help\\Quillfern.chm";

// The caret first steps over the lines logged before the help file.
static void InstallHelp(const InstallationOrder& order, int linesBefore)
{
    const unsigned char* start = order.language == LanguageFrench ? HelpFrenchStart : HelpEnglishStart;
    const unsigned char* end = order.language == LanguageFrench ? HelpEnglishStart : LibraryFileStart;
    char* path = JoinArgument(order.host, "\\", HelpName);
    int written = InstallFile(order.log, path, HelpName, start, end);
    StrRewind(path);
    LogAdvance(order.log, linesBefore);
    char* heading = JoinArgument(order.host, " . . .");
    int lines = LogLine(order.log, heading);
    StrRewind(heading);
    LogAdvance(order.log, lines + LogFile(order.log, written, HelpName));
}

static void InstallItem(const InstallationOrder& order, const char* target, const unsigned char* start,
                        const unsigned char* end)
{
    char* path = JoinArgument(order.host, target);
    int written = InstallFile(order.log, path, target, start, end);
    StrRewind(path);
    LogAdvance(order.log, LogFile(order.log, written, target));
}

static void InstallExample(const InstallationOrder& order, const ExampleEntry& entry, const unsigned char* bytes)
{
    char* path = JoinArgument(order.host, "Examples\\Quillfern\\", entry.Name);
    char* folder = StrWorkPosition();
    StrPathPart(path, folder);
    StrSkipTerminator();
    DirCreate(folder);
    int written = InstallFile(order.log, path, entry.Name, bytes, bytes + entry.Size);
    StrRewind(path);
    LogAdvance(order.log, LogFile(order.log, written, entry.Name));
}

static void InstallExamples(const InstallationOrder& order)
{
    char* folder = JoinArgument(order.host, "Examples\\Quillfern\\");
    LogAdvance(order.log, LogThreeLines(order.log, "", SeparatorLine, folder));
    StrRewind(folder);
    // Each example's bytes follow the previous one's, written or not.
    const unsigned char* cursor = ExampleSourcesStart;
    for (int i = 0; i < ExampleCount; i++) {
        InstallExample(order, ExampleTable[i], cursor);
        cursor += ExampleTable[i].Size;
    }
}

static void ChooseLabels(unsigned char language)
{
    StrSet(&ExtractedLabel, TextIn(TextExtractedLabel, language));
    StrSet(&NotWrittenLabel, TextIn(TextNotWrittenLabel, language));
}

int InstallLibrary(const InstallationOrder& order)
{
    ChooseLabels(order.language);
    FilesNotWritten = 0;
    CreateHostFolders(order.host);
    InstallHelp(order, LogLine(order.log, SeparatorLine));
    InstallItem(order, "PureLibraries\\UserLibraries\\Quillfern", LibraryFileStart, ResidentFileStart);
    InstallItem(order, "Residents\\Ostravel.res", ResidentFileStart, ExampleSourcesStart);
    InstallExamples(order);
    LogHeldFiles(order.log);
    return FilesNotWritten;
}
