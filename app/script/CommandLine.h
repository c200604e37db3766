#pragma once
// The command line, for installations from a script or a deployment tool:
// /S (silent), /L=fr or /L=en (its language), /D=<folder> (the PureBasic
// folder), /LOG=<file> (a copy of the log), /UNINSTALL (remove this
// version's files) or /VERIFY (check them), /? (usage), split as Windows
// splits arguments. Switches are case-insensitive, in any order, each once.
// Internal: /RELAUNCHED=<channel> marks the copy that the installer starts
// again with administrator rights (with /S, /L= and /D=, never /LOG=; with
// /UNINSTALL for a removal); the
// channel's name is ChannelNameLength hexadecimal digits.
#include "app/rights/ChannelRecord.h"
#include "runtime/Str.h"

constexpr int CommandLanguageNone = -1;      // else 0 French, 1 English

struct CommandLine {
    int understood;         // 0 when any part of the line is not understood
    int silent;             // /S was given, understood or not (even swallowed into another argument by
                            // its quotes, as in `/D="C:\PB\" /S`): nothing may be shown
    int usage;              // /?, which stands alone
    int language;           // /L=, or CommandLanguageNone
    const char* folder;     // /D=: its first byte in the line, as split; null without /D=
    int folderLength;       // in bytes
    const char* log;        // /LOG=: its first byte in the line, as split; null without /LOG=
    int logLength;          // in bytes
    const char* relaunched; // /RELAUNCHED=: its channel's ChannelNameLength digits in the line; null without it
    int uninstall;          // /UNINSTALL
    int verify;             // /VERIFY
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
// Takes one argument as a switch: /S, /?, /L=fr, /L=en, /UNINSTALL,
// /VERIFY, /D= with the
// folder as split, /LOG= with the file as split, or /RELAUNCHED=; 0 when it
// is none of them.
int CommandTakeArgument(const CommandArgument& argument, CommandLine* result);

// Parses a whole command line, program name first. The line is UTF-8 and
// zero-terminated; only its ASCII switches are read, so any bytes are taken.
// The arguments are split in place; the folder points into the line.
//
// An unquoted /D= or /LOG= (no quote in its argument) takes the line as it
// stands up to the next switch, blanks included, blanks around it left out:
// given last, the rest of the line, so a path with blanks needs no quotes. A
// quoted one (`/D="C:\x y"`, `"/D=C:\x y"`) is its argument as split.
void ParseCommandLine(char* line, CommandLine* result);

// The program's own command line, parsed; the line lives until the end.
void ReadCommandLine(CommandLine* result);
// The /D= folder made absolute (relative to the current folder) and ending
// in a backslash, as a new string that the caller owns; the empty string
// when it names no path. Null without /D=.
HeapStr CommandLineFolder(const CommandLine& line);
// The /LOG= file made absolute the same way, as a new string that the caller
// owns; the empty string when it names no path. Null without /LOG=.
HeapStr CommandLineLogFile(const CommandLine& line);
