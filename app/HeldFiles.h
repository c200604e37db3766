#pragma once
// A file that another program holds open cannot take its new file's place.
// The installation asks here whether to try it again, once the user has
// closed it there. This is the one place that asks: the window asks the
// user, a silent run asks no one.

// Asks whether to try the file again, naming it as the log names it and
// naming what holds it (the programs' names, or empty when none could be
// named). In the window a box asks, Retry or Cancel; 1 for Retry. A silent
// run keeps the file and answers 0 at once, and keeps the line that says
// what holds it for the end of its log (LogHeldFiles).
int AskRetryHeldFile(const char* name, const char* holders);
// Appends the lines kept by a silent run to its log, one per file kept.
void LogHeldFiles();
