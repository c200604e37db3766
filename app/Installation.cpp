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
#include "runtime/Tree.h"

unsigned char Language;
char* SeparatorLine;
ExampleEntry* ExampleTable;
int ExampleCount;

// The window's log line the caret stands on.
static int ListLine;
// Of the installation under way.
static int FilesNotWritten;
// The host folder as found.
static const char* InstallationHost;
// Where its files go: the host folder's final path for a process with
// rights, else the host folder as found (which the log names).
static char* WriteRoot;
// The link, as the log names it, that kept the file last tried from being
// written; null when none did.
static char* LinkName;

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

// A process with rights makes a folder only in one held and reached
// through no link; the file under a link is then reported on its own.
static void CreateFolder(const char* folder)
{
    char* path = JoinArgument(WriteRoot, folder);
    // The folder's parent, relative to the root: up to the backslash before
    // its own name.
    int cut = StrLen(folder) - 1;
    while (cut > 0 && folder[cut - 1] != '\\')
        cut--;
    char* parent = StrWorkPosition();
    StrMid(folder, 1, cut, parent);
    StrSkipTerminator();
    int linkEnd = 0;
    if (!TreeRefusesLinks() || TreeHoldWay(WriteRoot, parent, &linkEnd))
        DirCreate(path);
    StrRewind(path);
}

// The folders under the host folder, each parent before its children; the
// examples' own folders come from their names.
static const char* const HostFolders[] = {
    "", "Examples\\", "Examples\\Quillfern\\", "Residents\\", "PureLibraries\\",
    "PureLibraries\\UserLibraries\\", "Help\\",
};

static void CreateHostFolders()
{
    for (const char* folder : HostFolders)
        CreateFolder(folder);
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
        int found = CanWriteUnder(host, "Examples\\Quillfern\\", ExampleTable[i].Name);
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
static int AskAgainForHeldFile(InstallationLog log, const char* path, const char* name)
{
    char* holders = StrWorkPosition();
    HolderNames(path, holders);
    StrSkipTerminator();
    int again = AskRetryHeldFile(log, name, holders);
    StrRewind(holders);
    return again;
}

// 1 when a process with rights may write the file: every folder on its way
// is held, and neither they nor the file is a link. Else the link, when one
// is the cause, is kept for the log.
static int WayIsSafe(const char* path)
{
    StrFree(LinkName);
    LinkName = nullptr;
    int linkEnd = 0;
    const char* relative = path + StrLen(WriteRoot);
    if (!TreeRefusesLinks() || TreeHoldWay(WriteRoot, relative, &linkEnd))
        return 1;
    if (linkEnd != 0) {
        char* name = StrWorkPosition();
        StrAppend(InstallationHost);
        StrMid(relative, 1, linkEnd < 0 ? 0 : linkEnd, StrWorkPosition());
        StrAssign(&LinkName, name);
    }
    return 0;
}

// A target held open by another program is tried again for as long as the
// user, having closed it there, asks for it; `path` is under the write
// root, `name` is the log's.
static int InstallFile(InstallationLog log, const char* path, const char* name, const unsigned char* start,
                       const unsigned char* end)
{
    // The way is checked again for each try: the question may wait long.
    int held = 0;
    int written = WayIsSafe(path) && ReplaceTarget(path, start, end, &held);
    while (!written && held && AskAgainForHeldFile(log, path, name)) {
        held = 0;
        written = WayIsSafe(path) && ReplaceTarget(path, start, end, &held);
    }
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

// The line that names the link a file was not written through.
static int LogLink(InstallationLog log, const char* name)
{
    char* line = StrWorkPosition();
    StrAppend(Text(TextLinkStart));
    StrAppend(name);
    StrAppend(Text(TextLinkThrough));
    StrAppend(LinkName);
    StrAppend(Text(TextLinkEnd));
    StrSkipTerminator();
    int lines = LogLine(log, line);
    StrRewind(line);
    return lines;
}

// The three lines of one file: an empty line, the label, the file's name;
// then the link, when one kept it from being written.
static int LogFile(InstallationLog log, int written, const char* name)
{
    int lines = LogThreeLines(log, "", written ? ExtractedLabel : NotWrittenLabel, name);
    if (!written && LinkName)
        lines += LogLink(log, name);
    return lines;
}

// The help file as the log names it.
static const char HelpName[] = "Help\\Quillfern.chm";

// The caret first steps over the lines logged before the help file.
static void InstallHelp(const InstallationOrder& order, int linesBefore)
{
    const unsigned char* start = order.language == LanguageFrench ? HelpFrenchStart : HelpEnglishStart;
    const unsigned char* end = order.language == LanguageFrench ? HelpEnglishStart : LibraryFileStart;
    char* path = JoinArgument(WriteRoot, HelpName);
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
    char* path = JoinArgument(WriteRoot, target);
    int written = InstallFile(order.log, path, target, start, end);
    StrRewind(path);
    LogAdvance(order.log, LogFile(order.log, written, target));
}

static void InstallExample(const InstallationOrder& order, const ExampleEntry& entry, const unsigned char* bytes)
{
    char* relative = JoinArgument("Examples\\Quillfern", entry.Name);
    char* folder = StrWorkPosition();
    StrPathPart(relative, folder);
    StrSkipTerminator();
    CreateFolder(folder);
    char* path = JoinArgument(WriteRoot, relative);
    int written = InstallFile(order.log, path, entry.Name, bytes, bytes + entry.Size);
    StrRewind(relative);
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

// A process with rights takes the host folder at its final path, held: a
// folder reached through a link (a moved installation) still installs, into
// the folder itself. The log names the folder as found.
static void ChooseWriteRoot(const char* host)
{
    char* root = StrWorkPosition();
    if (!TreeRefusesLinks() || !TreeFinalFolder(host, root))
        StrMid(host, 1, StrLen(host), root);
    StrAssign(&WriteRoot, root);
}

int InstallLibrary(const InstallationOrder& order)
{
    ChooseLabels(order.language);
    FilesNotWritten = 0;
    InstallationHost = order.host;
    ChooseWriteRoot(order.host);
    CreateHostFolders();
    InstallHelp(order, LogLine(order.log, SeparatorLine));
    InstallItem(order, "PureLibraries\\UserLibraries\\Quillfern", LibraryFileStart, ResidentFileStart);
    InstallItem(order, "Residents\\Ostravel.res", ResidentFileStart, ExampleSourcesStart);
    InstallExamples(order);
    TreeRelease();
    LogHeldFiles(order.log);
    return FilesNotWritten;
}
