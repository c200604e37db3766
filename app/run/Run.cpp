#include "app/run/Run.h"
#include "app/ExitCodes.h"
#include "app/TextBox.h"
#include "app/install/OneInstallation.h"
#include "app/install/Removal.h"
#include "app/install/WriteTest.h"
#include "app/rights/Relaunch.h"
#include "app/script/ConsoleLog.h"
#include "app/script/LogFile.h"
#include "runtime/Rt.h"
#include "runtime/RtToken.h"
#include "runtime/Str.h"

static unsigned char DisplayLanguage()
{
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_FRENCH ? LanguageFrench : LanguageEnglish;
}

// Decided once, here, and passed down with the order: how the run reaches
// its folders and files, and whether it may ask for rights. The copy
// started for rights is one whatever its token says.
static InstallationRun RunKind(const CommandLine& line)
{
    if (line.relaunched)
        return RunRelaunched;
    RtRights rights = RtOwnRights();
    if (rights == RtRightsFull)
        return RunWithRights;
    return rights == RtRightsLimited ? RunMayAsk : RunWithoutRights;
}

Run RunStart(const CommandLine& line, const LogSink& shown)
{
    Run run = {CommandLineFolder(line), {}, DisplayLanguage(), RunKind(line), line.uninstall, 0};
    LogAddSink(&run.log, shown);
    if (line.language != CommandLanguageNone)
        run.language = (unsigned char)line.language;
    // Junctions made by other accounts than administrators are then refused
    // by Windows itself, for every call of the process.
    if (InstallationRefusesLinks(run.kind))
        RtGuardRedirection();
    return run;
}

// Another installation runs: its window, if it shows one, comes to the
// front; else a box says so, in both languages, since no language has been
// chosen. It may have ended meanwhile: this run holds the guard then. Only
// the window's own run ends as after a message when a window came up: a
// removal tells its deployment tool the same code with a box or without.
static RunGo AnswerRunningInstaller(const CommandLine& line)
{
    if (line.silent)
        return {0, ExitAlreadyRunning};
    RunningInstaller running = ShowRunningInstaller();
    if (running == RunningEnded)
        return {1, ExitOk};
    if (running == RunningWithoutWindow) {
        TextBox(TextRunningTitle, TextRunning, LanguageBoth, MB_OK | MB_ICONINFORMATION);
        return {0, ExitAlreadyRunning};
    }
    return {0, line.uninstall ? ExitAlreadyRunning : ExitOk};
}

RunGo RunHoldInstallation(const CommandLine& line, Run& run)
{
    RunGo go = ClaimInstallation() ? RunGo{1, ExitOk} : AnswerRunningInstaller(line);
    if (go.goesOn)
        RelaunchHoldProgram();
    run.holdsInstallation = go.goesOn;
    return go;
}

int RunOpenLogFile(const CommandLine& line, Run& run)
{
    HeapStr path = CommandLineLogFile(line);
    if (!path)
        return 1;
    int opened = StrLen(path) > 0 && LogFileOpen(path, InstallationRefusesLinks(run.kind));
    StrFree(path);
    if (opened)
        LogAddSink(&run.log, LogFileSink());
    return opened;
}

InstallationOutcome RemovalOrInstallHere(const InstallationOrder& order)
{
    Installing run = InstallationBegin(order);
    if (order.removal)
        RemoveHere(run);
    else
        InstallHere(run);
    InstallationEnd(run);
    return {InstallationDone, run.filesNotWritten, 0, 0};
}

InstallationOutcome RunCarryOut(const Run& run, const char* host, HWND owner)
{
    InstallationOrder order = {run.language, host, &run.log, run.kind, run.removal};
    int throughCopy = run.kind == RunMayAsk && InstallationCanWrite(host) == HostWriteDenied;
    return throughCopy ? RelaunchInstall(order, owner) : RemovalOrInstallHere(order);
}

InstallationOutcome RunInstall(const Run& run, const char* host, HWND owner)
{
    InstallationOutcome outcome = RunCarryOut(run, host, owner);
    LogEnd(run.log, run.language, InstallationExitCode(outcome), outcome.filesNotWritten);
    return outcome;
}

unsigned RunEnd(Run& run, unsigned exitCode)
{
    // The log ends first: once the installation is let go, a second start
    // may take it, and the same /LOG= file with it.
    LogFileClose(run.language, exitCode);
    ConsoleLogClose(run.language, exitCode);
    if (run.holdsInstallation) {
        RelaunchLetGoProgram();
        ReleaseInstallation();
        run.holdsInstallation = 0;
    }
    StrFree(run.named);
    run.named = nullptr;
    return exitCode;
}

unsigned RunInstallAndEnd(Run& run, HeapStr host)
{
    unsigned exitCode = ExitNoHost;
    if (StrLen(host) > 0)
        exitCode = InstallationExitCode(RunInstall(run, host, nullptr));
    StrFree(host);
    return RunEnd(run, exitCode);
}
