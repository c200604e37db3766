#include "RtCalls.h"
#include "Rt.h"

// The libraries' file names, one after the other, each ended by its
// terminator: a table of pointers would cost a pointer and a relocation
// for each.
#define RT_LIBRARY_FILE(library, file, loaded) file L"\0"
static const wchar_t RtLibraryFiles[] = RT_LIBRARIES(RT_LIBRARY_FILE);
#undef RT_LIBRARY_FILE

// Whether every process has it loaded from its start: found, never loaded
// again.
#define RT_LIBRARY_LOADED(library, file, loaded) loaded,
static const unsigned char RtLibraryLoadedAtStart[RtLibraryCount] = {RT_LIBRARIES(RT_LIBRARY_LOADED)};
#undef RT_LIBRARY_LOADED

// The functions' names, as the libraries' file names, and each one's library.
#define RT_CALL_NAME(library, name, type) #name "\0"
static const char RtCallNames[] = RT_CALLS(RT_CALL_NAME);
#undef RT_CALL_NAME

#define RT_CALL_LIBRARY(library, name, type) RtLibrary##library,
static const unsigned char RtCallLibraries[RtCallCount] = {RT_CALLS(RT_CALL_LIBRARY)};
#undef RT_CALL_LIBRARY

static HMODULE RtModules[RtLibraryCount];
static int RtModuleTried[RtLibraryCount];
static void (*RtAddresses[RtCallCount])();
static int RtAddressTried[RtCallCount];

// The index-th of the texts that follow each other, each ended by its terminator.
template <typename Char> static const Char* RtNth(const Char* texts, int index)
{
    for (; index > 0; index--) {
        while (*texts++) {
        }
    }
    return texts;
}

static HMODULE RtModule(int library)
{
    if (!RtModuleTried[library]) {
        RtModuleTried[library] = 1;
        const wchar_t* file = RtNth(RtLibraryFiles, library);
        RtModules[library] = RtLibraryLoadedAtStart[library] ? GetModuleHandleW(file) : RtLoadSystemDll(file);
    }
    return RtModules[library];
}

void (*RtCallAddress(RtCallId call))()
{
    if (!RtAddressTried[call]) {
        RtAddressTried[call] = 1;
        HMODULE module = RtModule(RtCallLibraries[call]);
        RtAddresses[call] = module ? (void (*)())GetProcAddress(module, RtNth(RtCallNames, call)) : nullptr;
    }
    return RtAddresses[call];
}
