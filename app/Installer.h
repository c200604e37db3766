#pragma once
// The installer's main body and the state its parts share.

// Chosen by the language buttons: LanguageFrench or LanguageEnglish (Texts.h).
extern unsigned char Language;
// 62 "=" characters, built once at start; the log's separator.
extern char* SeparatorLine;

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

[[noreturn]] void InstallerMain();
[[noreturn]] void FinalCleanup(unsigned exitCode = 0);
