#pragma once
// The command line, for installations from a script or a deployment tool:
// /S (silent), /L=fr or /L=en (its language), /D=<folder> (the PureBasic
// folder), /? (usage), split as Windows splits arguments. Switches are
// case-insensitive, in any order, each once.

// Exit codes. Without /S the program ends with ExitInstalled, with
// ExitNotUnderstood for a command line it does not understand, or with
// ExitAlreadyRunning when it could show no running installation's window.
constexpr unsigned ExitInstalled = 0;
constexpr unsigned ExitNotUnderstood = 1;
constexpr unsigned ExitNoHost = 2;           // nothing written
constexpr unsigned ExitIncomplete = 3;       // some files kept as they were
constexpr unsigned ExitDamaged = 4;          // nothing written
constexpr unsigned ExitAlreadyRunning = 5;   // nothing done

constexpr int CommandLanguageNone = -1;      // else 0 French, 1 English

struct CommandLine {
    int understood;         // 0 when any part of the line is not understood
    int silent;             // /S was given, understood or not: nothing may be shown
    int usage;              // /?, which stands alone
    int language;           // /L=, or CommandLanguageNone
    const char* folder;     // /D=: its first byte in the line, as split; null without /D=
    int folderLength;       // in bytes
};

// One argument of a command line as Windows splits it (CommandLineToArgvW,
// and the C runtime alike but for `""` inside quotes): blanks (space, tab)
// outside quotes separate; quotes group and are taken out; backslashes are
// characters except before a quote, where each pair gives one and an odd one
// makes the quote a character.
struct CommandArgument {
    char* text;             // its value, written over its own text in the line
    int length;             // in bytes, no terminator
    int quoted;             // its text held a quote
    char* end;              // where its text in the line ends
};

// The line after the program's name, by Windows' rule for it: a quoted name
// runs to its closing quote, an unquoted one to the first blank.
char* CommandSkipProgramName(char* line);
// Splits the argument at or after *next (blanks skipped) and moves *next
// past it; 0 when no argument is left. The line's bytes up to the end of the
// argument's text may change.
int CommandSplitArgument(char** next, CommandArgument* argument);
// Takes one argument as a switch: /S, /?, /L=fr, /L=en, or /D= with the
// folder as split; 0 when it is none of them.
int CommandTakeArgument(const CommandArgument& argument, CommandLine* result);

// Parses a whole command line, program name first. The line is UTF-8 and
// zero-terminated; only its ASCII switches are read, so any bytes are taken.
// The arguments are split in place; the folder points into the line.
//
// An unquoted /D= (no quote in its argument) takes the line as it stands up
// to the next switch, blanks included, blanks around it left out: given
// last, the rest of the line, so a folder with blanks needs no quotes. A
// quoted one (`/D="C:\x y"`, `"/D=C:\x y"`) is its argument as split.
void ParseCommandLine(char* line, CommandLine* result);

// The program's own command line, parsed; the line lives until the end.
void ReadCommandLine(CommandLine* result);
// The /D= folder made absolute (relative to the current folder) and ending
// in a backslash, as a new string that the caller owns; the empty string
// when it names no path. Null without /D=.
char* CommandLineFolder(const CommandLine& line);
