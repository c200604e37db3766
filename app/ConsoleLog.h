#pragma once
// The log of a silent run, on standard output when that goes to a file or a
// pipe (`QuillfernSetup.exe /S > install.log`): UTF-8 lines ending in CR LF.

// Takes standard output when it is a file or a pipe; else lines go nowhere.
void ConsoleLogOpen();
void ConsoleLogLine(const char* text);
