#include "Installer.h"
#include "Channel.h"
#include "ChannelLog.h"
#include "CommandLine.h"
#include "ConsoleLog.h"
#include "ExitCodes.h"
#include "HostChoice.h"
#include "Installation.h"
#include "LogFile.h"
#include "OneInstallation.h"
#include "InstallerWindow.h"
#include "Program.h"
#include "Relaunch.h"
#include "Removal.h"
#include "ScriptRun.h"
#include "Texts.h"
#include "WindowLog.h"
#include "gui/Ctl.h"
#include "gui/Win.h"
#include "payload/Payload.h"
#include "runtime/Req.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"

// What one run works with, handed down from InstallerMain.
struct Run {
    // The folder named on the command line (absolute, ending in a backslash;
    // empty when it names no path), which stands in for the registered one;
    // null when none was named.
    const char* named;
    LogSinks log;
    unsigned char language;     // chosen in the window, or given to a silent run
    int quitRequested;
};

// Ends the /LOG= file with the code when no installation's end has, then
// everything else.
[[noreturn]] static void FinalCleanup(const Run& run, unsigned exitCode = ExitOk)
{
    LogFileClose(run.language, exitCode);
    RelaunchLetGoProgram();
    MarkInstallerWindow(nullptr);
    ReleaseInstallerWindow();
    ReleaseInstallation();
    EndProgram(exitCode);
}

static void ChooseLanguage(Run& run, unsigned char language)
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
    run.language = language;
    LogLine(run.log, TextIn(TextInstallHeading, language));
    WindowLogShow();
    FocusUsefulButton();
}

static void ShowCompletion(unsigned char language, int filesNotWritten)
{
    if (filesNotWritten == 0) {
        ReqMessage(TextIn(TextInfoTitle, language), TextIn(TextCompleted, language), MB_OK | MB_ICONINFORMATION);
        return;
    }
    char* text = StrWorkPosition();
    StrAppend(TextIn(TextIncompleteStart, language));
    StrFromInt(filesNotWritten, StrWorkPosition());
    StrAppend(TextIn(TextIncompleteEnd, language));
    StrSkipTerminator();
    ReqMessage(TextIn(TextInfoTitle, language), text, MB_OK | MB_ICONWARNING);
    StrRewind(text);
}

// Set in by blanks as the installer's other messages.
static void ShowCopyFailure(unsigned char language, const InstallationOutcome& outcome)
{
    char* text = StrWorkPosition();
    StrAppend("      ");
    RelaunchFailure(language, outcome, StrWorkPosition());
    StrAppend("\n      ");
    StrAppend(TextIn(TextCopyFilesListed, language));
    StrSkipTerminator();
    ReqMessage(TextIn(TextErrorTitle, language), text, MB_OK | MB_ICONSTOP);
    StrRewind(text);
}

static void ShowOutcome(unsigned char language, const InstallationOutcome& outcome)
{
    if (outcome.end == InstallationRefused)
        ReqMessage(TextIn(TextErrorTitle, language), TextIn(TextNoRights, language), MB_OK | MB_ICONSTOP);
    else if (outcome.end == InstallationCopyFailed)
        ShowCopyFailure(language, outcome);
    else
        ShowCompletion(language, outcome.filesNotWritten);
}

// Installs here or through a copy with rights; the log ends with the result.
static InstallationOutcome InstallWhereAllowed(const InstallationOrder& order, HWND owner)
{
    InstallationOutcome outcome = RelaunchWhereNeeded(order, owner);
    LogEnd(*order.log, order.language, InstallationExitCode(outcome), outcome.filesNotWritten);
    return outcome;
}

// No event is handled from the click to the completion message: the
// buttons stay disabled meanwhile, the folder dialog and the system's
// consent prompt included, while the window keeps answering Windows; a
// close request waits for the end. One run installs once.
static void Install(Run& run)
{
    CtlDisable(InstallButton, 1);
    CtlDisable(CancelButton, 1);
    char* host = HostChoiceForWindow(run.named, run.language);
    if (StrLen(host) == 0) {
        ReqMessage(TextIn(TextErrorTitle, run.language), TextIn(TextNoHost, run.language), MB_OK | MB_ICONSTOP);
        // The log file ends as a silent run without a host would.
        LogEnd(run.log, run.language, ExitNoHost, 0);
        FinalCleanup(run);
    }
    InstallationOutcome outcome = InstallWhereAllowed({run.language, host, &run.log, 0}, WinHandle(MainWindow));
    StrFree(host);
    CtlDisable(CancelButton, 0);
    ShowOutcome(run.language, outcome);
    FocusUsefulButton();
}

static void HandleControl(Run& run, int control)
{
    switch (control) {
    case FrenchButton:
        ChooseLanguage(run, LanguageFrench);
        break;
    case EnglishButton:
        ChooseLanguage(run, LanguageEnglish);
        break;
    case InstallButton:
        Install(run);
        break;
    case CancelButton:
        run.quitRequested = 1;
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
static void HandleKey(Run& run, int command)
{
    if (command == EscapeCommand && IsEnabledControl(CancelButton)) {
        HandleControl(run, CancelButton);
        return;
    }
    if (command != EnterCommand)
        return;
    HWND focus = GetFocus();
    int control = focus ? GetDlgCtrlID(focus) : 0;
    if (control && CtlHandle(control) == focus && IsWindowEnabled(focus))
        HandleControl(run, control);
}

static void HandleEvent(Run& run, int event)
{
    if (event == WinEvClose)
        run.quitRequested = 1;
    else if (event == WinEvControl)
        HandleControl(run, WinEventControl());
    else if (event == WinEvMenu)
        HandleKey(run, WinEventControl());
}

// Waits for events until the user asks to quit, then drains the queue and
// ends at the first poll that finds it empty. Waiting again after the quit
// request would keep the window open until some further input arrived.
static void RunEventLoop(Run& run)
{
    if (WinPollEvent() == 0)
        return;
    while (!run.quitRequested)
        HandleEvent(run, WinWaitEvent());
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

// The messages said before any language is chosen hold both: either row will do.
static const char* BothLanguages(TextId id)
{
    return TextIn(id, LanguageFrench);
}

// A silent run shows nothing, at any moment: its exit code says it all.
[[noreturn]] static void RefuseDamagedCopy(int silent)
{
    if (!silent)
        ReqMessage(BothLanguages(TextDamagedTitle), BothLanguages(TextDamaged), MB_OK | MB_ICONSTOP);
    EndProgram(silent ? ExitDamaged : ExitOk);
}

// /? alone, or a command line not understood: nothing else is done.
[[noreturn]] static void AnswerUsage(const CommandLine& line)
{
    if (!line.silent)
        ReqMessage(BothLanguages(TextUsageTitle), BothLanguages(TextUsage), MB_OK | MB_ICONINFORMATION);
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
        ReqMessage(BothLanguages(TextRunningTitle), BothLanguages(TextRunning), MB_OK | MB_ICONINFORMATION);
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

// A log file that cannot be had: nothing is installed, and whoever started
// the run is told which file, a script in the log it has (standard output),
// a user in both languages.
[[noreturn]] static void RefuseLogFile(const CommandLine& line, Run& run, const char* path)
{
    if (line.silent) {
        char* text = StrWorkPosition();
        StrAppend(TextIn(TextLogFileFailed, run.language));
        StrAppend(path);
        StrSkipTerminator();
        LogLine(run.log, text);
        StrRewind(text);
        FinalCleanup(run, ExitNotUnderstood);
    }
    static const unsigned char languages[] = {LanguageFrench, LanguageEnglish};
    char* text = StrWorkPosition();
    for (unsigned char language : languages) {
        StrAppend(language == LanguageFrench ? "      " : "\n\n      ");
        StrAppend(TextIn(TextLogFileFailed, language));
        StrAppend("\n      ");
        StrAppend(path);
    }
    StrSkipTerminator();
    ReqMessage(BothLanguages(TextDamagedTitle), text, MB_OK | MB_ICONSTOP);
    StrRewind(text);
    FinalCleanup(run, ExitNotUnderstood);
}

// Taken once this run holds the installation: a second start must not
// empty the log of the one that runs.
static void OpenLogFile(const CommandLine& line, Run& run)
{
    char* path = CommandLineLogFile(line);
    if (!path)
        return;
    if (StrLen(path) == 0 || !LogFileOpen(path))
        RefuseLogFile(line, run, path);
    StrFree(path);
    LogAddSink(&run.log, LogFileSink());
}

// The window's run without the window: the same log, on standard output.
[[noreturn]] static void InstallSilently(Run& run)
{
    LogLine(run.log, TextIn(TextInstallHeading, run.language));
    char* host = HostChoiceWithoutWindow(run.named);
    if (StrLen(host) == 0)
        FinalCleanup(run, ExitNoHost);
    FinalCleanup(run, InstallationExitCode(InstallWhereAllowed({run.language, host, &run.log, 0}, nullptr)));
}

// /VERIFY and /UNINSTALL: no window, the log of a silent run; their box is
// their own.
[[noreturn]] static void RunForScript(const CommandLine& line, Run& run, unsigned (*body)(const ScriptRun&))
{
    ConsoleLogOpen();
    LogAddSink(&run.log, ConsoleLogSink());
    OpenLogFile(line, run);
    FinalCleanup(run, body({run.named, run.language, &run.log, line.silent}));
}

// The copy started with rights by a first copy: it installs what that copy
// found, in its language, sends it the log and the result, and never asks
// for rights again. Only the channel lets it past the installation guard,
// which the first copy holds until this copy has ended. The first copy lets
// go (ChannelGo) only the client whose process it started itself, checked
// by the system; a third start naming the same channel, however it learnt
// the name, is refused by it and ends here as beside any running
// installation.
[[noreturn]] static void InstallForFirstCopy(const CommandLine& line, Run& run)
{
    if (!ChannelOpen(line.channel, ChannelNameLength))
        EndProgram(ExitAlreadyRunning);
    LogAddSink(&run.log, ChannelLogSink());
    char* host = HostChoiceWithoutWindow(run.named);
    if (StrLen(host) == 0) {
        ChannelClose();
        FinalCleanup(run, ExitNoHost);
    }
    InstallationOutcome outcome = RemovalOrInstallHere({run.language, host, &run.log, line.uninstall});
    unsigned exitCode = InstallationExitCode(outcome);
    LogEnd(run.log, run.language, exitCode, outcome.filesNotWritten);
    ChannelClose();
    FinalCleanup(run, exitCode);
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
    char* named = CommandLineFolder(line);
    Run run = {named, {}, DisplayLanguage(), 0};
    if (line.language != CommandLanguageNone)
        run.language = (unsigned char)line.language;
    if (line.channel)
        InstallForFirstCopy(line, run);
    if (line.verify)
        RunForScript(line, run, VerifyRun);
    if (!ClaimInstallation())
        AnswerRunningInstaller(line.silent);
    RelaunchHoldProgram();
    if (line.uninstall)
        RunForScript(line, run, UninstallRun);
    if (line.silent) {
        ConsoleLogOpen();
        LogAddSink(&run.log, ConsoleLogSink());
        OpenLogFile(line, run);
        InstallSilently(run);
    }
    LogAddSink(&run.log, WindowLogSink());
    OpenLogFile(line, run);
    BuildInstallerWindow();
    MarkInstallerWindow(WinHandle(MainWindow));
    RunEventLoop(run);
    FinalCleanup(run);
}
