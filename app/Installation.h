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

void BuildExampleTable();
// 1 when it has run through (FilesNotWritten tells how well), 0 when no host
// folder was registered or picked, in which case nothing was created or written.
int InstallLibrary();
void ProgressStep();
