#pragma once
// Folders and files reached one name at a time below a folder held open:
// what a process with administrator rights writes under a folder that a
// standard user may change. A folder is opened (or made) relative to its
// held parent and held itself, without delete sharing, until TreeRelease,
// so that none can be renamed once reached; a file is made, read, renamed
// and removed relative to its held folder, or through its own handle. No
// path is resolved again. With `refuseLinks`, no link is followed and none
// is taken: a folder or file that is one is refused. Names are UTF-8, as
// the file service takes them.
#include "TreeReach.h"
#include <windows.h>

// A folder held in the tree's table: TreeRelease (or TreeReleaseAllBut)
// closes it, never whoever was given it. A folder only opened is a plain
// HANDLE, closed by its caller.
using HeldFolder = HANDLE;

// Why a folder or file could not be had. Only TreeMissAbsent says that it
// is not there: every other answer leaves that unknown.
enum TreeMiss : unsigned char {
    TreeMissNone,           // had
    TreeMissAbsent,         // it, or a folder on its way, does not exist
    TreeMissHeld,           // another program holds it open in a way that keeps it from this one
    TreeMissLink,           // a link, refused
    TreeMissRemote,         // a link that leads to another machine, or that cannot be told: refused unfollowed
    TreeMissFailed,         // any other refusal (access denied, a full disk, a name too long)
};

// Opens and holds the folder at the path, as `reach` says: a moved
// installation reached through a junction is taken at its real place.
// *root is null unless it returns TreeMissNone; *linkEnd is the count of
// bytes of `folder` up to the end of the name of the link refused, else 0.
TreeMiss TreeHoldRoot(const char* folder, TreeReach reach, HeldFolder* root, int* linkEnd);
// The same folder, not held: the caller closes *opened.
TreeMiss TreeOpenFolder(const char* folder, TreeReach reach, HANDLE* opened, int* linkEnd);
// Opens and holds each folder of `relative` (parts ending in a backslash)
// below the held root, one name at a time, each relative to the one
// before, making those that are missing when `create`. *folder is the last
// folder's handle (the root's when `relative` is empty), else null; then
// *linkEnd is the count of bytes of `relative` up to the end of the first
// link's name, or 0 when a folder could not be had otherwise.
TreeMiss TreeHoldWay(HeldFolder root, const char* relative, int create, int refuseLinks, HeldFolder* folder,
                     int* linkEnd);

// What TreeFileState finds under a name of a held folder.
enum TreeFileFound {
    TreeFileAbsent,
    TreeFilePlain,
    TreeFileReadOnly,       // a file marked read-only
    TreeFileFolder,
    TreeFileLinked,         // a link, with refuseLinks
    TreeFileUnknown,        // there may be something, the system does not say what
};
TreeFileFound TreeFileState(HANDLE folder, const char* name, int refuseLinks);
// Makes a new file in the held folder, open for writing, reading and
// removal, for the caller to close; null when the name is taken (by a link
// too, never followed).
HANDLE TreeCreateFile(HANDLE folder, const char* name);
// Opens the file, or makes it when there is none (*created then 1), for
// writing and removal, never through a link at its name; with refuseLinks
// one that the system followed to somewhere else is refused (and removed
// when made). The caller closes it; null when it cannot be had.
HANDLE TreeOpenOrCreateFile(HANDLE folder, const char* name, int refuseLinks, int* created);
// Gives the open file the name in the held folder, replacing a file there.
// When given, *held tells whether it failed because another program has
// the target open in a way that keeps it from being replaced.
int TreeRename(HANDLE file, HANDLE folder, const char* name, int* held);
// Removes the open file (opened with DELETE access); 1 when done.
int TreeDeleteOpen(HANDLE file);
// Removes the file of the held folder through a handle of its own, when it
// is a file and no link (a link is never followed); 1 when removed.
int TreeRemoveFile(HANDLE folder, const char* name);

// What an entry opened by TreeOpenEntry must be.
enum TreeEntryKind : unsigned char {
    TreeEntryFile,          // never a folder
    TreeEntryFolder,        // never a file
};
// What an entry is opened for.
enum TreeEntryUse : unsigned char {
    TreeEntryToRead,        // reading, others free to do anything meanwhile
    TreeEntryToRemove,      // reading and removal, nobody else writing or removing it meanwhile
};
// Opens an entry of the held folder, following no link at its name; with
// refuseLinks, none the system followed elsewhere either (TreeMissLink).
// *entry, which the caller closes, is null unless it returns TreeMissNone.
TreeMiss TreeOpenEntry(HANDLE folder, const char* name, TreeEntryKind kind, TreeEntryUse use, int refuseLinks,
                       HANDLE* entry);
// The entry at `relative` below the held root (a file, or a folder ending in
// a backslash), or the first folder on its way that cannot be had
// otherwise, opened one name at a time only for its attributes, which no
// other program's sharing refuses, through no link: to ask who holds it.
// The caller closes it; null when nothing on the way can be opened.
HANDLE TreeOpenToAsk(HANDLE root, const char* relative);
// Lets go of every folder held but `kept`, which stays held.
void TreeReleaseAllBut(HeldFolder kept);
// Lets go of every folder held.
void TreeRelease();
