#include "Installation.h"
#include "HeldFiles.h"
#include "HostLocator.h"
#include "Installer.h"
#include "ConsoleLog.h"
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
int ListLine;
int FilesNotWritten;
int SilentRun;
char* HostFolderArgument;

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
void ProgressStep()
{
    // A silent run has no list to scroll and no one to pause for.
    if (SilentRun)
        return;
    HWND list = CtlHandle(LogList);
    SendMessageA(list, LB_SETCURSEL, (WPARAM)-1, 0);
    SendMessageA(list, LB_SETCARETINDEX, (WPARAM)ListLine, 0);
    HoldLogDrawing(0);
    RtSleep(10);
}

// Appends a line to the log; 1 when the list took it, so that the caret is
// moved by the lines that are really there.
int LogLine(const char* text)
{
    if (SilentRun) {
        ConsoleLogLine(text ? text : "");
        return 1;
    }
    HoldLogDrawing(1);
    return CtlAddItem(LogList, -1, text ? text : "") >= 0 ? 1 : 0;
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

static void CreateHostFolders(const char* host)
{
    static const char* const folders[] = {
        "", "Examples\\", "Examples\\Quillfern\\", "Residents\\", "PureLibraries\\",
        "PureLibraries\\UserLibraries\\", "Help\\",
    };
    for (const char* folder : folders)
        CreateFolder(host, folder);
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
static int AskAgainForHeldFile(const char* path, const char* name)
{
    char* holders = StrWorkPosition();
    HolderNames(path, holders);
    StrSkipTerminator();
    int again = AskRetryHeldFile(name, holders);
    StrRewind(holders);
    return again;
}

// A target held open by another program is tried again for as long as the
// user, having closed it there, asks for it; `name` is the log's.
static int InstallFile(const char* path, const char* name, const unsigned char* start, const unsigned char* end)
{
    int held = 0;
    int written = ReplaceTarget(path, start, end, &held);
    while (!written && held && AskAgainForHeldFile(path, name))
        written = ReplaceTarget(path, start, end, &held);
    if (!written)
        FilesNotWritten++;
    return written;
}

// Three lines in this order, one statement each: the operands of + are
// unsequenced, so a sum of the calls could append them in any order.
static int LogThreeLines(const char* first, const char* second, const char* third)
{
    int lines = LogLine(first);
    lines += LogLine(second);
    lines += LogLine(third);
    return lines;
}

// The three lines of one file: an empty line, the label, the file's name.
static int LogFile(int written, const char* name)
{
    return LogThreeLines("", written ? ExtractedLabel : NotWrittenLabel, name);
}

static void Advance(int lines)
{
    ListLine += lines;
    ProgressStep();
}

// The help file as the log names it.
static const char HelpName[] = "Help\\Quillfern.chm";

// The caret first steps over the lines logged before the help file.
static void InstallHelp(const char* host, int linesBefore)
{
    const unsigned char* start = Language == 0 ? HelpFrenchStart : HelpEnglishStart;
    const unsigned char* end = Language == 0 ? HelpEnglishStart : LibraryFileStart;
    char* path = JoinArgument(host, "\\", HelpName);
    int written = InstallFile(path, HelpName, start, end);
    StrRewind(path);
    Advance(linesBefore);
    char* heading = JoinArgument(host, " . . .");
    int lines = LogLine(heading);
    StrRewind(heading);
    Advance(lines + LogFile(written, HelpName));
}

static void InstallItem(const char* host, const char* target, const unsigned char* start, const unsigned char* end)
{
    char* path = JoinArgument(host, target);
    int written = InstallFile(path, target, start, end);
    StrRewind(path);
    Advance(LogFile(written, target));
}

static void InstallExample(const char* host, const ExampleEntry& entry, const unsigned char* bytes)
{
    char* path = JoinArgument(host, "Examples\\Quillfern\\", entry.Name);
    char* folder = StrWorkPosition();
    StrPathPart(path, folder);
    StrSkipTerminator();
    DirCreate(folder);
    int written = InstallFile(path, entry.Name, bytes, bytes + entry.Size);
    StrRewind(path);
    Advance(LogFile(written, entry.Name));
}

static void InstallExamples(const char* host)
{
    char* folder = JoinArgument(host, "Examples\\Quillfern\\");
    Advance(LogThreeLines("", SeparatorLine, folder));
    StrRewind(folder);
    // Each example's bytes follow the previous one's, written or not.
    const unsigned char* cursor = ExampleSourcesStart;
    for (int i = 0; i < ExampleCount; i++) {
        InstallExample(host, ExampleTable[i], cursor);
        cursor += ExampleTable[i].Size;
    }
}

static void ChooseLabels()
{
    StrSet(&ExtractedLabel, Text(TextExtractedLabel));
    StrSet(&NotWrittenLabel, Text(TextNotWrittenLabel));
}

// The folder named on the command line where it is a PureBasic folder; where
// it is not, the window asks as for a stale registration. Without one, the
// registered folder, or in the window the one the user picks. A silent run
// asks no one.
static char* FindHostFolder()
{
    char* host = nullptr;
    if (HostFolderArgument && IsPureBasicFolder(HostFolderArgument)) {
        StrSet(&host, HostFolderArgument);
        return host;
    }
    if (SilentRun)
        return HostFolderArgument ? nullptr : LocateHostFolder();
    return HostFolderArgument ? AskHostFolder() : ResolveHostFolder();
}

int InstallLibrary()
{
    CtlDisable(InstallButton, 1);
    CtlDisable(CancelButton, 1);
    char* host = FindHostFolder();
    if (StrLen(host) == 0) {
        StrFree(host);
        return 0;
    }
    ChooseLabels();
    FilesNotWritten = 0;
    CreateHostFolders(host);
    InstallHelp(host, LogLine(SeparatorLine));
    InstallItem(host, "PureLibraries\\UserLibraries\\Quillfern", LibraryFileStart, ResidentFileStart);
    InstallItem(host, "Residents\\Ostravel.res", ResidentFileStart, ExampleSourcesStart);
    InstallExamples(host);
    CtlDisable(CancelButton, 0);
    StrFree(host);
    return 1;
}
