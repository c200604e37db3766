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
#include <windows.h>

// Opens and holds the folder at the path, following links (it is where the
// run was sent: a moved installation reached through a junction is taken
// at its real place). Null when it cannot be opened.
HANDLE TreeHoldRoot(const char* folder);
// Opens and holds each folder of `relative` (parts ending in a backslash)
// below the held root, one name at a time, each relative to the one
// before, making those that are missing when `create`. The last folder's
// handle (the root's when `relative` is empty). Else null, and *linkEnd is
// the count of bytes of `relative` up to the end of the first link's name,
// or 0 when a folder could not be opened or made.
HANDLE TreeHoldWay(HANDLE root, const char* relative, int create, int refuseLinks, int* linkEnd);

// What TreeFileState finds under a name of a held folder.
enum TreeFileFound {
    TreeFileAbsent,
    TreeFilePlain,
    TreeFileReadOnly,       // a file marked read-only
    TreeFileFolder,
    TreeFileLinked,         // a link, with refuseLinks
};
TreeFileFound TreeFileState(HANDLE folder, const char* name, int refuseLinks);
// Makes a new file in the held folder, open for writing, reading and
// removal; null when the name is taken (by a link too, never followed).
HANDLE TreeCreateFile(HANDLE folder, const char* name);
// Opens the file, or makes it when there is none (*created then 1), for
// writing and removal, never through a link at its name; with refuseLinks
// one that the system followed to somewhere else is refused (and removed
// when made). Null when it cannot be had.
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
// Opens the folder at the path, not held: with refuseLinks, only when it
// is reached through no link and is none. The caller closes it.
HANDLE TreeOpenFolder(const char* folder, int refuseLinks);
// Opens a file or an empty folder of the held folder for reading and
// removal, following no link, nobody else writing or removing it
// meanwhile; with refuseLinks null for one the system followed elsewhere.
// *held tells whether another program's handle refused the open.
HANDLE TreeOpenToRemove(HANDLE folder, const char* name, int refuseLinks, int* held);
// Lets go of every folder held but `kept`, which stays held.
void TreeReleaseAllBut(HANDLE kept);
// Lets go of every folder held.
void TreeRelease();
