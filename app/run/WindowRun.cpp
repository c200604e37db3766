// The window's run: a language chosen, then Install, which finds the host
// folder and installs here or through the copy with rights, the log in the
// window's list (and the /LOG= file); it ends when the window is closed.
#include "app/ExitCodes.h"
#include "app/Program.h"
#include "app/TextBox.h"
#include "app/TextFormat.h"
#include "app/install/OneInstallation.h"
#include "app/rights/Relaunch.h"
#include "app/run/HostChoice.h"
#include "app/run/Run.h"
#include "app/window/Installer.h"
#include "app/window/InstallerWindow.h"
#include "app/window/WindowLog.h"
#include "gui/Ctl.h"
#include "gui/Win.h"
#include "runtime/Str.h"

// How far the window's run is from its end.
enum WindowQuit : unsigned char {
    WindowStays,
    WindowQuitAsked,        // the events queued meanwhile are let go first
    WindowQuitNow,          // no host folder: the run ends at once
};

struct WindowRunState {
    Run run;
    WindowQuit quit;
};

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
        TextBox(TextInfoTitle, TextCompleted, language, MB_OK | MB_ICONINFORMATION);
        return;
    }
    TempStr count = StrFromInt(filesNotWritten, StrWorkPosition());
    StrSkipTerminator();
    TextBox(TextInfoTitle, TextIncomplete, language, MB_OK | MB_ICONWARNING, count);
    StrRewind(count);
}

static void ShowCopyFailure(unsigned char language, const InstallationOutcome& outcome)
{
    RelaunchFailureText failure = RelaunchFailure(outcome);
    TextBox(TextErrorTitle, TextCopyFailedListed, language, MB_OK | MB_ICONSTOP,
            TextFormat(failure.sentence, language, failure.code));
    StrRewind(failure.code);
}

static void ShowOutcome(unsigned char language, const InstallationOutcome& outcome)
{
    if (outcome.end == InstallationRefused)
        TextBox(TextErrorTitle, TextNoRights, language, MB_OK | MB_ICONSTOP);
    else if (outcome.end == InstallationCopyFailed)
        ShowCopyFailure(language, outcome);
    else
        ShowCompletion(language, outcome.filesNotWritten);
}

// No event is handled from the click to the completion message: the
// buttons stay disabled meanwhile, the folder dialog and the system's
// consent prompt included, while the window keeps answering Windows; a
// close request waits for the end. One run installs once.
static void Install(WindowRunState& state)
{
    Run& run = state.run;
    CtlDisable(InstallButton, 1);
    CtlDisable(CancelButton, 1);
    HeapStr host = HostChoiceForWindow(run.named, run.language, InstallationReach(run.kind));
    if (StrLen(host) == 0) {
        TextBox(TextErrorTitle, TextNoHost, run.language, MB_OK | MB_ICONSTOP);
        // The log file ends as a silent run without a host would.
        LogEnd(run.log, run.language, ExitNoHost, 0);
        StrFree(host);
        state.quit = WindowQuitNow;
        return;
    }
    InstallationOutcome outcome = RunInstall(run, host, WinHandle(MainWindow));
    StrFree(host);
    CtlDisable(CancelButton, 0);
    ShowOutcome(run.language, outcome);
    FocusUsefulButton();
}

static void HandleControl(WindowRunState& state, int control)
{
    switch (control) {
    case FrenchButton:
        ChooseLanguage(state.run, LanguageFrench);
        break;
    case EnglishButton:
        ChooseLanguage(state.run, LanguageEnglish);
        break;
    case InstallButton:
        Install(state);
        break;
    case CancelButton:
        state.quit = WindowQuitAsked;
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
static void HandleKey(WindowRunState& state, int command)
{
    if (command == EscapeCommand && IsEnabledControl(CancelButton)) {
        HandleControl(state, CancelButton);
        return;
    }
    if (command != EnterCommand)
        return;
    HWND focus = GetFocus();
    int control = focus ? (int)GetWindowLongPtrA(focus, GWLP_ID) : 0;
    if (control && CtlHandle(control) == focus && IsWindowEnabled(focus))
        HandleControl(state, control);
}

static void HandleEvent(WindowRunState& state, int event)
{
    if (event == WinEvClose)
        state.quit = WindowQuitAsked;
    else if (event == WinEvControl)
        HandleControl(state, WinEventControl());
    else if (event == WinEvMenu)
        HandleKey(state, WinEventControl());
}

// Waits for events until the user asks to quit, then drains the queue and
// ends at the first poll that finds it empty. Waiting again after the quit
// request would keep the window open until some further input arrived.
static void RunEventLoop(WindowRunState& state)
{
    if (WinPollEvent() == 0)
        return;
    while (state.quit == WindowStays)
        HandleEvent(state, WinWaitEvent());
    if (state.quit == WindowQuitNow)
        return;
    while (WinPollEvent() != 0) {
    }
}

// A /LOG= file that cannot be had: nothing is installed, and the user is
// told which file, in both languages, since none has been chosen.
static void RefuseLogFile(const CommandLine& line)
{
    HeapStr path = CommandLineLogFile(line);
    TextBox(TextDamagedTitle, TextLogFileFailedBoth, LanguageBoth, MB_OK | MB_ICONSTOP, path);
    StrFree(path);
}

unsigned WindowRun(const CommandLine& line)
{
    WindowRunState state = {RunStart(line, WindowLogSink()), WindowStays};
    RunGo hold = RunHoldInstallation(line, state.run);
    if (!hold.goesOn)
        return RunEnd(state.run, hold.exitCode);
    if (!RunOpenLogFile(line, state.run)) {
        RefuseLogFile(line);
        return RunEnd(state.run, ExitNotUnderstood);
    }
    PrepareWindowServices();
    BuildInstallerWindow();
    MarkInstallerWindow(WinHandle(MainWindow));
    RunEventLoop(state);
    // A second start from now on finds no window to bring to the front.
    MarkInstallerWindow(nullptr);
    ReleaseInstallerWindow();
    return RunEnd(state.run, ExitOk);
}
