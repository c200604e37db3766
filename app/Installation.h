#pragma once
// The installation procedure: folders and files under the host folder,
// logged line by line where its order says.

struct ExampleEntry {
    char* Name;     // relative to the library's example folder, with a leading backslash
    int Size;       // bytes within the example sources item
};

extern ExampleEntry* ExampleTable;
extern int ExampleCount;

// Where an installation's log goes.
enum InstallationLog : unsigned char {
    LogToWindow,    // the window's list, its caret following each step with a 10 ms pause
    LogToOutput,    // standard output, when that is a file or a pipe (ConsoleLog)
    LogToFirstCopy, // the installer that started this copy with rights, which shows it (Channel)
};

// What to install where, and where its log goes.
struct InstallationOrder {
    unsigned char language;     // LanguageFrench or LanguageEnglish (Texts.h)
    const char* host;           // a PureBasic folder, absolute, ending in a backslash
    InstallationLog log;
};

// What the write test found.
constexpr int HostWriteDenied = 0;      // refused for want of rights, which may cure it
constexpr int HostWritable = 1;
constexpr int HostWriteFailed = 2;      // refused otherwise (a read-only medium, a share): rights would not help

void BuildExampleTable();
// Whether this process can create and delete a file in the host folder and
// in each of its sub-folders that the installation writes into and that
// already exist (after BuildExampleTable): a test, not a guess from the
// folders' rights, which miss read-only media and shares.
int InstallationCanWrite(const char* host);
// Creates the folders and writes the files; returns how many files were not
// written (each kept exactly as it was). A process with administrator
// rights writes into the host folder's final path and through no link below
// it: a file that a link leads to is reported, not written.
int InstallLibrary(const InstallationOrder& order);
// Appends a line to the log; 1 when the log took it.
int LogLine(InstallationLog log, const char* text);
// One step of the log: the caret moves over the lines the step added.
void LogAdvance(InstallationLog log, int lines);
