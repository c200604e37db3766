#pragma once
// Folders and files reached through no link: what a process with
// administrator rights writes under a folder that a standard user may
// change. Each folder on the way is opened without following a link,
// refused if it is one, and held without delete sharing until TreeRelease,
// so that none can be renamed, or swapped for a link, once checked. Names
// are UTF-8, as the file service takes them.
#include <windows.h>

// 1 when this process holds administrator rights (an elevated token, or the
// system's own account): it then writes through no link.
int TreeRefusesLinks();
// Opens and holds the folder, following links, and writes its final path
// (no link left in it, ending in a backslash) at the result start (string
// protocol); the path as given where the system cannot tell its final one.
// 0, with nothing written, when the folder cannot be opened.
int TreeFinalFolder(const char* folder, char* resultStart);
// Opens and holds the root, ending in a backslash, and each folder of
// `relative` below it; its last part, unless it ends in a backslash, names
// a file, checked when it exists and not held. 1 when every folder is held
// and none of them, nor the file, is a link. Else 0, and *linkEnd is the
// count of bytes of `relative` up to the end of the first link's name (-1
// when it is the root), or 0 when a folder could not be opened.
int TreeHoldWay(const char* root, const char* relative, int* linkEnd);
// 1 when the folder, opened now, is reached through no link and is none.
int TreeFolderIsPlain(const char* folder);
// 1 when the open handle reached what `path` names, through no link and no
// link itself.
int TreeReachedPlainly(HANDLE handle, const char* path);
// Removes the file through a handle of its own, when it is a file and no
// link (a link is never followed); 1 when removed.
int TreeRemoveFile(const char* path);
// Marks the entry open through the handle (with DELETE access) for removal
// when the last handle closes: 1 when marked, 0 when refused (a folder not
// empty, a read-only file), -1 before Windows Vista, which cannot.
int TreeMarkForRemoval(HANDLE handle);
// Lets go of every folder held.
void TreeRelease();
