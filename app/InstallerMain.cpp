#include "Installer.h"
#include "Channel.h"
#include "CommandLine.h"
#include "ConsoleLog.h"
#include "HostChoice.h"
#include "Installation.h"
#include "OneInstallation.h"
#include "InstallerWindow.h"
#include "Program.h"
#include "Relaunch.h"
#include "Texts.h"
#include "gui/Ctl.h"
#include "gui/Win.h"
#include "payload/Payload.h"
#include "runtime/Req.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"

static int QuitRequested;
// The folder named on the command line (absolute, ending in a backslash;
// empty when it names no path), which stands in for the registered one;
// null when none was named.
static char* NamedFolder;

static void ChooseLanguage(unsigned char language)
{
    CtlDisable(EnglishButton, 1);
    CtlDisable(InstallButton, 0);
    CtlDisable(FrenchButton, 1);
    // The window was built with the French texts.
    if (language != LanguageFrench) {
        CtlSetText(InstallButton, TextIn(TextInstallButton, language));
        CtlSetText(CancelButton, TextIn(TextCancelButton, language));
        CtlSetText(LogName, TextIn(TextLogName, language));
    }
    Language = language;
    CtlAddItem(LogList, -1, Text(TextInstallHeading));
    FocusUsefulButton();
}

static void ShowCompletion(int filesNotWritten)
{
    if (filesNotWritten == 0) {
        ReqMessage(Text(TextInfoTitle), Text(TextCompleted), MB_OK | MB_ICONINFORMATION);
        return;
    }
    char* text = StrWorkPosition();
    StrAppend(Text(TextIncompleteStart));
    StrFromInt(filesNotWritten, StrWorkPosition());
    StrAppend(Text(TextIncompleteEnd));
    StrSkipTerminator();
    ReqMessage(Text(TextInfoTitle), text, MB_OK | MB_ICONWARNING);
    StrRewind(text);
}

// Installs here when this process may write into the host folder, or when
// more rights cannot be had (already elevated: what cannot be written is
// reported, never asked for again); else through a copy started with rights.
// filesNotWritten is -1 when nothing was written for want of rights.
static RelaunchOutcome InstallWhereAllowed(const InstallationOrder& order, HWND owner)
{
    BuildExampleTable();
    if (InstallationCanWrite(order.host) || !RelaunchCanAsk()) {
        int notWritten = InstallLibrary(order);
        return {notWritten, notWritten == 0 ? ExitOk : ExitIncomplete};
    }
    return RelaunchInstall(order, owner);
}

// No message is read from the click to the completion message: the buttons
// stay disabled meanwhile, the folder dialog and the system's consent prompt
// included; one run installs once.
static void Install()
{
    CtlDisable(InstallButton, 1);
    CtlDisable(CancelButton, 1);
    char* host = HostChoiceForWindow(NamedFolder);
    if (StrLen(host) == 0) {
        ReqMessage(Text(TextErrorTitle), Text(TextNoHost), MB_OK | MB_ICONSTOP);
        FinalCleanup();
    }
    RelaunchOutcome outcome = InstallWhereAllowed({Language, host, LogToWindow}, WinHandle(MainWindow));
    StrFree(host);
    CtlDisable(CancelButton, 0);
    if (outcome.filesNotWritten < 0)
        ReqMessage(Text(TextErrorTitle), Text(TextNoRights), MB_OK | MB_ICONSTOP);
    else
        ShowCompletion(outcome.filesNotWritten);
    FocusUsefulButton();
}

static void HandleControl(int control)
{
    switch (control) {
    case FrenchButton:
        ChooseLanguage(LanguageFrench);
        break;
    case EnglishButton:
        ChooseLanguage(LanguageEnglish);
        break;
    case InstallButton:
        Install();
        break;
    case CancelButton:
        QuitRequested = 1;
        break;
    }
}

static int IsEnabledControl(int control)
{
    HWND handle = CtlHandle(control);
    return handle && IsWindowEnabled(handle);
}

// Escape is the Cancel button's key; Enter presses the button that has the
// focus, as in a dialog (Space the button does itself).
static void HandleKey(int command)
{
    if (command == EscapeCommand && IsEnabledControl(CancelButton)) {
        HandleControl(CancelButton);
        return;
    }
    if (command != EnterCommand)
        return;
    HWND focus = GetFocus();
    int control = focus ? GetDlgCtrlID(focus) : 0;
    if (control && CtlHandle(control) == focus && IsWindowEnabled(focus))
        HandleControl(control);
}

static void HandleEvent(int event)
{
    if (event == WinEvClose)
        QuitRequested = 1;
    else if (event == WinEvControl)
        HandleControl(WinEventControl());
    else if (event == WinEvMenu)
        HandleKey(WinEventControl());
}

// Waits for events until the user asks to quit, then drains the queue and
// ends at the first poll that finds it empty. Waiting again after the quit
// request would keep the window open until some further input arrived.
static void RunEventLoop()
{
    if (WinPollEvent() == 0)
        return;
    while (!QuitRequested)
        HandleEvent(WinWaitEvent());
    while (WinPollEvent() != 0) {
    }
}

// A copy damaged on its way here would install damaged files without a word:
// each file's read-back compares it with these same bytes. So every item is
// checked before anything is shown or written.
static int PayloadIsIntact()
{
    for (const PayloadItemCheck& item : PayloadChecks) {
        if (RtCrc32(PayloadBlock + item.offset, item.size) != item.crc)
            return 0;
    }
    return 1;
}

// A silent run shows nothing, at any moment: its exit code says it all.
[[noreturn]] static void RefuseDamagedCopy(int silent)
{
    if (!silent)
        ReqMessage(Text(TextDamagedTitle), Text(TextDamaged), MB_OK | MB_ICONSTOP);
    EndProgram(silent ? ExitDamaged : ExitOk);
}

// /? alone, or a command line not understood: nothing else is done.
[[noreturn]] static void AnswerUsage(const CommandLine& line)
{
    if (!line.silent)
        ReqMessage(Text(TextUsageTitle), Text(TextUsage), MB_OK | MB_ICONINFORMATION);
    EndProgram(line.understood ? ExitOk : ExitNotUnderstood);
}

// Another installation runs: its window, if it shows one, comes to the
// front; else a box says so, in both languages, since no language has been
// chosen. Returns only when it ended meanwhile and this run holds the guard.
static void AnswerRunningInstaller(int silent)
{
    if (silent)
        EndProgram(ExitAlreadyRunning);
    RunningInstaller running = ShowRunningInstaller();
    if (running == RunningEnded)
        return;
    if (running == RunningWithoutWindow)
        ReqMessage(Text(TextRunningTitle), Text(TextRunning), MB_OK | MB_ICONINFORMATION);
    EndProgram(running == RunningShown ? ExitOk : ExitAlreadyRunning);
}

// Nobody watches a silent run: the system's boxes for a drive without a
// disk, a file it cannot open or a fault would wait for a click forever.
static void SilenceSystemErrorBoxes()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}

static unsigned char DisplayLanguage()
{
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_FRENCH ? LanguageFrench : LanguageEnglish;
}

// The window's run without the window: the same log, on standard output.
[[noreturn]] static void InstallSilently(const CommandLine& line)
{
    ConsoleLogOpen();
    Language = line.language != CommandLanguageNone ? (unsigned char)line.language : DisplayLanguage();
    LogLine(LogToOutput, Text(TextInstallHeading));
    char* host = HostChoiceWithoutWindow(NamedFolder);
    if (StrLen(host) == 0)
        FinalCleanup(ExitNoHost);
    FinalCleanup(InstallWhereAllowed({Language, host, LogToOutput}, nullptr).exitCode);
}

// The copy started with rights by a first copy: it installs what that copy
// found, in its language, sends it the log and the result, and never asks
// for rights again. Only the channel lets it past the installation guard,
// which the first copy holds until this copy has ended. The first copy lets
// go (ChannelGo) only the client whose process it started itself, checked
// by the system; a third start naming the same channel, however it learnt
// the name, is refused by it and ends here as beside any running
// installation.
[[noreturn]] static void InstallForFirstCopy(const CommandLine& line)
{
    if (!ChannelOpen(line.channel, CommandChannelLength)) {
        ChannelClose();
        EndProgram(ExitAlreadyRunning);
    }
    Language = (unsigned char)line.language;
    char* host = HostChoiceWithoutWindow(NamedFolder);
    if (StrLen(host) == 0) {
        ChannelClose();
        FinalCleanup(ExitNoHost);
    }
    BuildExampleTable();
    int notWritten = InstallLibrary({Language, host, LogToFirstCopy});
    ChannelSendNumber(ChannelResult, notWritten);
    ChannelClose();
    FinalCleanup(notWritten == 0 ? ExitOk : ExitIncomplete);
}

void InstallerMain()
{
    CommandLine line;
    ReadCommandLine(&line);
    if (line.silent)
        SilenceSystemErrorBoxes();
    if (!line.understood || line.usage)
        AnswerUsage(line);
    if (!PayloadIsIntact())
        RefuseDamagedCopy(line.silent);
    NamedFolder = CommandLineFolder(line);
    char* start = StrWorkPosition();
    StrPad("", 62, "=", start);
    StrAssign(&SeparatorLine, start);
    if (line.channel)
        InstallForFirstCopy(line);
    if (!ClaimInstallation())
        AnswerRunningInstaller(line.silent);
    if (line.silent)
        InstallSilently(line);
    BuildInstallerWindow();
    MarkInstallerWindow(WinHandle(MainWindow));
    RunEventLoop();
    FinalCleanup();
}

void FinalCleanup(unsigned exitCode)
{
    MarkInstallerWindow(nullptr);
    ReleaseInstallerWindow();
    ReleaseInstallation();
    EndProgram(exitCode);
}
