#pragma once
// The log of a silent run, on standard output when that goes to a file or a
// pipe (`QuillfernSetup.exe /S > install.log`): UTF-8 lines ending in CR LF.
// A held file is kept, its line kept for the end of the log; the last line
// is the exit code's, as in the /LOG= file.
#include "app/install/LogSink.h"

// Takes standard output when it is a file or a pipe; else lines go nowhere.
void ConsoleLogOpen();
const LogSink& ConsoleLogSink();
// Ends standard output's log with the exit code's line, unless an
// installation's end has written it; nothing without one open.
void ConsoleLogClose(unsigned char language, unsigned exitCode);
