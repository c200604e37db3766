#pragma once
// The installation procedure: folders and files under the host folder,
// logged line by line in the list box.

struct ExampleEntry {
    char* Name;     // relative to the library's example folder, with a leading backslash
    int Size;       // bytes within the example sources item
};

extern ExampleEntry* ExampleTable;
extern int ExampleCount;
extern int ListLine;            // the log line the caret stands on
extern int FilesNotWritten;     // of the last installation
// The folder named on the command line (absolute, ending in a backslash;
// empty when it names no path), which stands in for the registered one;
// null when none was named.
extern char* HostFolderArgument;

void BuildExampleTable();
// 1 when it has run through (FilesNotWritten tells how well), 0 when no host
// folder was registered or picked, in which case nothing was created or written.
int InstallLibrary();
void ProgressStep();
// Appends a line to the log (standard output in a silent run); 1 when the
// log took it.
int LogLine(const char* text);
