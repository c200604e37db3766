#pragma once
// The runs, one file each, and what they share. Each starts its Run from
// the command line and the sink its log is shown in, opens what its log
// writes to, builds the one installation order and installs it
// (RunInstall), and ends through RunEnd, which ends its log, lets go of the
// installation it holds and gives the exit code back to the entry point.
#include "app/install/Installation.h"
#include "app/install/LogSink.h"
#include "app/script/CommandLine.h"
#include "runtime/Str.h"
#include <windows.h>

// What one run works with.
struct Run {
    // The folder named on the command line (absolute, ending in a backslash;
    // empty when it names no path), which stands in for the registered one;
    // null when none was named. RunEnd frees it.
    HeapStr named;
    LogSinks log;
    unsigned char language;     // the command line's, else the display's; chosen in the window
    InstallationRun kind;       // decided once, at the start: how folders and files are reached
    int removal;                // /UNINSTALL: this version's files are removed instead
    int holdsInstallation;      // 1 from RunHoldInstallation to RunEnd
};

// The window's run (WindowRun.cpp), a script's /S run (ScriptRun.cpp) and
// the relaunched copy, started with rights by a first copy (RelaunchedRun.cpp);
// each returns its exit code.
unsigned WindowRun(const CommandLine& line);
unsigned ScriptRun(const CommandLine& line);
unsigned RelaunchedRun(const CommandLine& line);
// A deployment tool's /UNINSTALL (UninstallRun.cpp) and /VERIFY
// (VerifyRun.cpp), without the window.
unsigned UninstallRun(const CommandLine& line);
unsigned VerifyRun(const CommandLine& line);

// A run whose log goes to `shown` (the window's list, standard output, the
// first copy), in the language of the command line, else of the display, of
// the kind its token and its command line make it; a run that writes
// through no link has the system refuse other accounts' junctions. Nothing
// is logged before the run has opened what `shown` writes to, nor, in a
// run that takes the installation, before it holds it.
Run RunStart(const CommandLine& line, const LogSink& shown);
// Whether a run goes on, and when it does not, the exit code it ends with.
struct RunGo {
    int goesOn;
    unsigned exitCode;
};
// Takes the installation, and holds the program's file for a copy with
// rights. When another installation runs, the run ends: its window came to
// the front, or a box said so, or, silent, nothing.
RunGo RunHoldInstallation(const CommandLine& line, Run& run);
// Opens the /LOG= file as the run's second sink. Taken once this run holds the
// installation: a second start must not empty the log of the one that runs.
// 1 when it is open or none was named; 0 when the file the command line
// names (CommandLineLogFile) cannot be had: the run says so, and ends.
int RunOpenLogFile(const CommandLine& line, Run& run);
// The order carried out here, a removal (Removal.h) or an installation
// (Installation.h), from the host folder held: its outcome.
InstallationOutcome RemovalOrInstallHere(const InstallationOrder& order);
// Carries the run's order out in the host folder (RunInstall's choice),
// leaving the log's end to the caller.
InstallationOutcome RunCarryOut(const Run& run, const char* host, HWND owner);
// Installs into the host folder here, or through a copy started with rights
// when the folder refuses this process for want of them and asking could
// give them (the write test: a read-only medium is reported file by file
// instead); already elevated, what cannot be written is reported, never
// asked for again. The log ends with the result.
InstallationOutcome RunInstall(const Run& run, const char* host, HWND owner);
// A run without a window: installs into the host folder (RunInstall) and
// frees it, then ends (RunEnd); without one, ends with ExitNoHost.
unsigned RunInstallAndEnd(Run& run, HeapStr host);
// Ends the /LOG= file and standard output's log with the code when no
// installation's end has, then lets go of the installation and the
// program's file when this run holds them; the code, for the entry point.
// What a run took besides (the window, the channel) it lets go itself.
unsigned RunEnd(Run& run, unsigned exitCode);
