#pragma once
// The removal procedure (/UNINSTALL): each file this version installs,
// removed only when it still holds exactly this version's bytes, then the
// library's own example folders when empty; logged as an installation is.
#include "Installation.h"

// Removes under the order's host folder: a file changed since, or another
// version's, is kept, and so is the residents file, which bears a sibling
// library's name. filesNotWritten counts the files kept that count against
// the removal (changed, or not removable). A process with rights reaches
// every file and folder through held folders and no link, and removes each
// through a handle of its own, opened on the entry itself. The log's end is
// the caller's.
InstallationOutcome RemoveHere(const InstallationOrder& order);
// The order carried out here: a removal or an installation.
InstallationOutcome RemovalOrInstallHere(const InstallationOrder& order);
