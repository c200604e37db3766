#pragma once
// The installation procedure: folders and files under the host folder,
// logged line by line to the sinks its order names.
#include "app/Texts.h"
#include "app/install/InstalledFiles.h"
#include "app/install/LogSink.h"
#include "runtime/Str.h"
#include "runtime/Tree.h"

// What kind of run installs: decided once, at its start, from its token and
// how it was started. It decides how folders and files are reached.
enum InstallationRun : unsigned char {
    RunMayAsk,              // limited, where the system elevates: it may start a copy with rights
    RunWithoutRights,       // no elevation on this system: it writes only where its user may
    RunWithRights,          // elevated from the start, or the system's account: through no link
    RunRelaunched,          // the relaunched copy, started with rights: through no link, and never on the network
};

// 1 for a run that writes through no link (a standard user could have made it).
inline int InstallationRefusesLinks(InstallationRun run)
{
    return run == RunWithRights || run == RunRelaunched;
}

// What to install where, and where its log goes.
struct InstallationOrder {
    unsigned char language;     // LanguageFrench or LanguageEnglish (Texts.h)
    const char* host;           // a PureBasic folder, absolute, ending in a backslash
    const LogSinks* log;
    InstallationRun run;
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

// The exit code of a run that ended so (InstallationExitCode.cpp).
unsigned InstallationExitCode(const InstallationOutcome& outcome);

// One installation (or removal, Removal.h) under way: its order, and what
// it has come to.
struct Installing {
    const InstallationOrder& order;
    // The host folder, held (InstallationHoldHost): every folder and file is
    // reached from it. Null when it could not be had, for the reason in
    // rootMiss; rootLink is then the link refused on its way, as the log
    // names it, or null.
    HeldFolder root;
    TreeMiss rootMiss;
    HeapStr rootLink;
    // The link, as the log names it, that kept the file last tried from
    // being written (or removed); null when none did.
    HeapStr linkName;
    int filesNotWritten;    // or, removing, kept against the removal
    int going;              // 0 once the log's reader is gone
};

// Creates the folders and writes the files, each kept exactly as it was
// when it cannot be written; stops after a file when the log's reader is
// gone. The host folder is opened once and held (the run's root), and
// everything below it is reached one name at a time from the folders held. A run with rights
// writes only where the held host holds PureBasic.exe, through no link
// below it: a file that a link leads to is reported, not written. The copy
// with rights writes nothing into a network folder. The log's end is the
// caller's (LogEnd), once it knows the result.
void InstallHere(Installing& installing);

// How a run of that kind reaches its host folder and the /LOG= file's.
TreeReach InstallationReach(InstallationRun run);
// The pieces of the installation that a removal and a check share.
// An installation (or removal, or check) of the order under way: the host
// folder opened once and held in root (see InstallHere), or null when it
// cannot be, or may not be, reached; nothing counted yet. Its end is
// InstallationEnd.
Installing InstallationBegin(const InstallationOrder& order);
// Lets go of what the installation holds.
void InstallationEnd(Installing& installing);
// The held folder of the file `relative` to the held host in *folder, each
// folder on the way opened (made, with `create`) from the one before, the
// way held for the file before let go; null when it cannot be had, or when
// a run with rights finds a link on the way or at the file:
// installing.linkName (freed and replaced) is then the link as the log
// names it. *target is what is at the file's name. The way's miss, or the
// host's when it was not had.
TreeMiss InstallationHoldWay(Installing& installing, const char* relative, int create, HeldFolder* folder,
                             TreeFileFound* target);
// The file's name within its folder.
const char* InstallationNamePart(const char* relative);
// Moves the log's caret on by the lines; the run stops going once the log's
// reader is gone.
void InstallationAdvance(Installing& installing, int lines);
// Asks the log whether to try a file held by another program again, naming
// the programs that hold it (or hold a folder on its way); `relative` to the
// host, `name` the log's. A run with rights finds them from the handle of
// what it opened, never by giving the system a path.
int InstallationAskAgain(const Installing& installing, const char* relative, const char* name);
