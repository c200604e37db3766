#pragma once
// The command line, for installations from a script or a deployment tool:
// /S (silent), /L=fr or /L=en (its language), /D=<folder> (the PureBasic
// folder, last, taking the rest of the line), /? (usage). Switches are
// case-insensitive, in any order, each once.
// Internal: /RELAUNCHED=<channel> marks the copy that the installer starts
// again with administrator rights (with /S, /L= and /D=); the channel's name
// is CommandChannelLength hexadecimal digits.

// Exit codes. Without /S the program ends with ExitOk, or with
// ExitNotUnderstood for a command line it does not understand.
constexpr unsigned ExitOk = 0;              // ended normally; with /S, every file installed
constexpr unsigned ExitNotUnderstood = 1;
constexpr unsigned ExitNoHost = 2;           // nothing written
constexpr unsigned ExitIncomplete = 3;       // some files kept as they were
constexpr unsigned ExitDamaged = 4;          // nothing written
constexpr unsigned ExitAlreadyRunning = 5;   // nothing done
constexpr unsigned ExitNoRights = 6;         // the folder needs rights that were not given; nothing written

constexpr int CommandLanguageNone = -1;      // else 0 French, 1 English
constexpr int CommandChannelLength = 32;

struct CommandLine {
    int understood;         // 0 when any part of the line is not understood
    int silent;             // /S was given, understood or not: nothing may be shown
    int usage;              // /?, which stands alone
    int language;           // /L=, or CommandLanguageNone
    const char* folder;     // /D=: its first byte in the line, quotes left out; null without /D=
    int folderLength;       // in bytes
    const char* channel;    // /RELAUNCHED=: its CommandChannelLength digits in the line; null without it
};

// Parses a whole command line, program name first (skipped as Windows does:
// up to the closing quote when quoted, else up to the first blank). The line
// is UTF-8 and zero-terminated; only its ASCII switches are read, so any
// bytes are taken. The folder points into the line.
void ParseCommandLine(const char* line, CommandLine* result);

// The program's own command line, parsed; the line lives until the end.
void ReadCommandLine(CommandLine* result);
// The /D= folder made absolute (relative to the current folder) and ending
// in a backslash, as a new string that the caller owns; the empty string
// when it names no path. Null without /D=.
char* CommandLineFolder(const CommandLine& line);
