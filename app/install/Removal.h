#pragma once
// The removal procedure (/UNINSTALL): each file this version installs,
// removed only when it still holds exactly this version's bytes, then the
// library's own example folders when empty; logged as an installation is.
#include "app/install/Installation.h"

// Removes under the order's host folder: a file changed since, or another
// version's, is kept, and so is the residents file, which bears a sibling
// library's name. filesNotWritten counts the files kept that count against
// the removal (changed, or not removable). Every folder and file is reached
// from the held host, one name at a time, as the installation reaches them
// (through no link in a run with rights), and each is removed through a
// handle of its own. The log's end is the caller's.
void RemoveHere(Installing& removing);
