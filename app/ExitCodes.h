#pragma once
// The program's exit codes. Without /S the program ends with ExitOk, with
// ExitNotUnderstood for a command line it does not understand or a log file
// it cannot create, or with ExitAlreadyRunning when it could show no running
// installation's window.
constexpr unsigned ExitOk = 0;              // ended normally; with /S, every file installed
constexpr unsigned ExitNotUnderstood = 1;    // also: the /LOG= file could not be created; nothing written
constexpr unsigned ExitNoHost = 2;           // nothing written
constexpr unsigned ExitIncomplete = 3;       // some files kept as they were, or the copy with rights did not complete
constexpr unsigned ExitDamaged = 4;          // nothing written
constexpr unsigned ExitAlreadyRunning = 5;   // nothing done
constexpr unsigned ExitNoRights = 6;         // the folder needs rights that were not given; nothing written
