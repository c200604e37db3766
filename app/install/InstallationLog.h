#pragma once
// The installation's own lines in its log: the host folder's, each file's,
// a link's sentence, the examples' section; shared by the removal and the
// check. Each returns the lines the log took.
#include "app/install/Installation.h"

// Logs the host folder's line, "<host> . . ."; the lines the log took.
int InstallationLogHost(const LogSinks& log, const char* host);
// The sentence that says a link kept the file from its work (TextLinkNotWritten,
// TextLinkNotRemoved, TextLinkNotRead) with the file's name and the link's;
// the lines the log took.
int InstallationLogLink(const LogSinks& log, unsigned char language, const char* name, TextId sentence,
                        const char* link);
// One file's lines: an empty line, the label, the name; then, with a link,
// the link's sentence (InstallationLogLink); returns the lines the log took.
int InstallationLogFile(const InstallationOrder& order, TextId label, const char* name, TextId linkSentence,
                        const char* link);
// An empty line, the separator and the folder: the examples' section.
int InstallationLogSection(const LogSinks& log, unsigned char language, const char* folder);
