#pragma once
// The window's numbers its parts share.

// The installer window's number (gui/Win), and its control numbers.
constexpr int MainWindow = 0;
constexpr int CancelButton = 5;
constexpr int FrenchButton = 6;
constexpr int InstallButton = 7;
constexpr int EnglishButton = 8;
constexpr int LogoPicture = 11;
constexpr int CreditLine = 14;
constexpr int LogName = 15;         // the log's hidden label
constexpr int LogList = 100;

// The main window's keys, as commands (WinEvMenu).
constexpr unsigned short EscapeCommand = 1;
constexpr unsigned short EnterCommand = 2;
