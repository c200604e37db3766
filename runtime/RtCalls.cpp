#include "RtCalls.h"
#include "Rt.h"

struct RtLibrary {
    const wchar_t* file;
    int loadedAtStart;      // by every process: found, never loaded again
};

#define RT_LIBRARY_ROW(library, file, loaded) {file, loaded},
static const RtLibrary RtLibraries[RtLibraryCount] = {RT_LIBRARIES(RT_LIBRARY_ROW)};
#undef RT_LIBRARY_ROW

struct RtCall {
    RtLibraryId library;
    const char* name;
};

#define RT_CALL_ROW(library, name, type) {RtLibrary##library, #name},
static const RtCall RtCallTable[RtCallCount] = {RT_CALLS(RT_CALL_ROW)};
#undef RT_CALL_ROW

static HMODULE RtModules[RtLibraryCount];
static int RtModuleTried[RtLibraryCount];
static void (*RtAddresses[RtCallCount])();
static int RtAddressTried[RtCallCount];

static HMODULE RtModule(RtLibraryId library)
{
    if (!RtModuleTried[library]) {
        RtModuleTried[library] = 1;
        const RtLibrary& row = RtLibraries[library];
        RtModules[library] = row.loadedAtStart ? GetModuleHandleW(row.file) : RtLoadSystemDll(row.file);
    }
    return RtModules[library];
}

void (*RtCallAddress(RtCallId call))()
{
    if (!RtAddressTried[call]) {
        RtAddressTried[call] = 1;
        HMODULE module = RtModule(RtCallTable[call].library);
        RtAddresses[call] = module ? (void (*)())GetProcAddress(module, RtCallTable[call].name) : nullptr;
    }
    return RtAddresses[call];
}
