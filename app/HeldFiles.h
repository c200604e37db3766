#pragma once
// A file that another program holds open cannot take its new file's place.
// The installation asks here whether to try it again, once the user has
// closed it there. This is the one place that asks: the window asks the
// user, a silent run asks no one, and the copy started with rights asks its
// first copy, which answers here as it would for a file of its own.
#include "Installation.h"

// Asks whether to try the file again, naming it as the log names it and
// naming what holds it (the programs' names, or empty when none could be
// named). With the window's log a box asks, Retry or Cancel; 1 for Retry.
// The first copy's log carries the question there and waits for its answer
// (0 when the channel fails). Standard output keeps the file and answers 0
// at once, and keeps the line that says what holds it for the end of the
// log (LogHeldFiles).
int AskRetryHeldFile(InstallationLog log, const char* name, const char* holders);
// Appends the lines kept meanwhile to the log, one per file kept.
void LogHeldFiles(InstallationLog log);
