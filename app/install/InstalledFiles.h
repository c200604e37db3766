#pragma once
// The files this version installs, in the order it installs them: where
// each goes under the host folder, how the log names it, and its bytes in
// the payload.
#include <windows.h>

struct InstalledFile {
    const char* path;               // under the host folder
    const char* name;               // as the log names it
    const unsigned char* start;     // its bytes, in the language asked
    const unsigned char* end;
    int shared;                     // named after a sibling library, which may need it as well
};
constexpr int InstalledFileCount = 4;

// The files before the examples, in the order installed; the examples
// follow, to the end.
constexpr int HelpIndex = 0;
constexpr int LibraryIndex = 1;
constexpr int ResidentIndex = 2;
constexpr int FirstExampleIndex = 3;

// The library's example folder; the log names each example relative to it.
inline constexpr char ExampleFolder[] = "Examples\\Quillfern";

InstalledFile InstallationFile(int index, unsigned char language);
// 1 when the open file holds the bytes of the index-th file, in either
// language: a help file left by an installation in the other language is
// this version's too.
int InstallationFileIsThisVersions(HANDLE file, int index);
