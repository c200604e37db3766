#pragma once
// The /LOG= file: the lines of standard output's log (UTF-8, CR LF), the
// held files' lines at the installation's end, and last a line with the
// exit code. Written by this process with its own rights: a copy with rights
// sends its lines here through the channel.
#include "app/install/LogSink.h"

// Creates the file, or empties it when there is one; 0 when it cannot be
// had, or when it is a link or has other names (a standard user could have
// made it point at a file of an administrator's), left as it was.
// A run with rights (`refuseLinks`) reaches it through no link, and
// replaces a file that is there by one of its own: a file that another
// account made beforehand would otherwise stay that account's to read.
int LogFileOpen(const char* path, int refuseLinks);
const LogSink& LogFileSink();
// Ends the file with the exit code line, unless an installation's end has
// written one, and closes it; nothing without an open file.
void LogFileClose(unsigned char language, unsigned exitCode);
