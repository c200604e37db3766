#pragma once
// The installation procedure: folders and files under the host folder,
// logged line by line to the sinks its order names.
#include "LogSink.h"
#include "Texts.h"
#include <windows.h>

// What to install where, and where its log goes.
struct InstallationOrder {
    unsigned char language;     // LanguageFrench or LanguageEnglish (Texts.h)
    const char* host;           // a PureBasic folder, absolute, ending in a backslash
    const LogSinks* log;
    int removal;                // 1: remove this version's files instead (Removal.h)
};

// How an installation ended, here or through the copy with rights.
enum InstallationEnd : unsigned char {
    InstallationDone,           // installed; filesNotWritten of them kept as they were
    InstallationRefused,        // rights asked for and not given: nothing written
    InstallationCopyFailed,     // the copy with rights ended without a result, or could not be started to
                                // report one (no channel): what it reported is all that is known
};

struct InstallationOutcome {
    InstallationEnd end;
    int filesNotWritten;        // InstallationDone
    int copyCodeKnown;          // InstallationCopyFailed: 1 when the copy ran and ended with copyCode
    unsigned copyCode;
};

// The exit code of a run that ended so.
unsigned InstallationExitCode(const InstallationOutcome& outcome);

// What the write test found.
constexpr int HostWriteDenied = 0;      // refused for want of rights, which may cure it
constexpr int HostWritable = 1;
constexpr int HostWriteFailed = 2;      // refused otherwise (a read-only medium, a share): rights would not help

// Whether this process can create and delete a file in the host folder and
// in each of its sub-folders that the installation writes into and that
// already exist: a test, not a guess from the folders' rights, which miss
// read-only media and shares.
int InstallationCanWrite(const char* host);
// Creates the folders and writes the files, each kept exactly as it was
// when it cannot be written; stops after a file when the log's reader is
// gone. A process with administrator rights writes into the host folder's
// final path and through no link below it: a file that a link leads to is
// reported, not written. The log's end is the caller's (LogEnd), once it
// knows the result.
InstallationOutcome InstallHere(const InstallationOrder& order);

// The files this version installs, in the order it installs them.
struct InstalledFile {
    const char* path;               // under the host folder, as a removal's log names it
    const unsigned char* start;     // its bytes, in the language asked
    const unsigned char* end;
    int shared;                     // named after a sibling library, which may need it as well
};
constexpr int InstalledFileCount = 4;
InstalledFile InstallationFile(int index, unsigned char language);
// 1 when the open file holds the bytes of the index-th file, in either
// language: a help file left by an installation in the other language is
// this version's too.
int InstallationFileIsThisVersions(HANDLE file, int index);

// The pieces of the installation that a removal shares.
// The folder to write under: the host folder's final path, held, for a
// process with rights; else the host folder itself. A new string.
char* InstallationWriteRoot(const char* host);
// 1 when this process may reach `path` (under `root`): without rights
// always; with rights when every folder on the way is held and neither they
// nor the file is a link. Else 0, and *linkName (freed and replaced) the
// link as the log names it, under `host`, or null when no link was the cause.
int InstallationWayIsSafe(const char* host, const char* root, const char* path, char** linkName);
// Asks the log whether to try a file held by another program again, naming
// the programs that hold it.
int InstallationAskAgain(const InstallationOrder& order, const char* path, const char* name);
// One file's lines: an empty line, the label, the name; then, with a link,
// "The file <name><through><link>."; returns the lines the log took.
int InstallationLogFile(const InstallationOrder& order, TextId label, const char* name, TextId through,
                        const char* link);
