#include "app/install/InstalledFiles.h"
#include "app/Texts.h"
#include "payload/Payload.h"
#include "runtime/File.h"

constexpr int ExampleFolderLength = sizeof ExampleFolder - 1;

struct ExampleEntry {
    const char* Name;   // under the host folder, in the example folder
    int Size;           // bytes within the example sources item
};

static const ExampleEntry ExampleTable[] = {
    {"Examples\\Quillfern\\Tintwell\\Tintwell.pb", PayloadExampleTintwellSize},
};
constexpr int ExampleCount = sizeof ExampleTable / sizeof ExampleTable[0];

static_assert(FirstExampleIndex + ExampleCount == InstalledFileCount, "every file installed is counted");

static const char HelpPath[] = "Help\\Quillfern.chm";
static const char LibraryPath[] = "PureLibraries\\UserLibraries\\Quillfern";
static const char ResidentPath[] = "Residents\\Ostravel.res";

// Named constants: a braced value returned would be copied from writable data.
static const InstalledFile HelpInFrench = {HelpPath, HelpPath, HelpFrenchStart, HelpFrenchEnd, 0};
static const InstalledFile HelpInEnglish = {HelpPath, HelpPath, HelpEnglishStart, HelpEnglishEnd, 0};
static const InstalledFile LibraryFile = {LibraryPath, LibraryPath, LibraryFileStart, LibraryFileEnd, 0};
static const InstalledFile ResidentFile = {ResidentPath, ResidentPath, ResidentFileStart, ResidentFileEnd, 1};

InstalledFile InstallationFile(int index, unsigned char language)
{
    if (index == HelpIndex)
        return language == LanguageFrench ? HelpInFrench : HelpInEnglish;
    if (index == LibraryIndex)
        return LibraryFile;
    if (index == ResidentIndex)
        return ResidentFile;
    // Each example's bytes follow the previous one's.
    const unsigned char* start = ExampleSourcesStart;
    for (int i = FirstExampleIndex; i < index; i++)
        start += ExampleTable[i - FirstExampleIndex].Size;
    const ExampleEntry& entry = ExampleTable[index - FirstExampleIndex];
    InstalledFile example;
    example.path = entry.Name;
    example.name = entry.Name + ExampleFolderLength;
    example.start = start;
    example.end = start + entry.Size;
    example.shared = 0;
    return example;
}

int InstallationFileIsThisVersions(HANDLE file, int index)
{
    InstalledFile french = InstallationFile(index, LanguageFrench);
    InstalledFile english = InstallationFile(index, LanguageEnglish);
    return FileHandleMatches(file, french.start, french.end)
        || (english.start != french.start && FileHandleMatches(file, english.start, english.end));
}
