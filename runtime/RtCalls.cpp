#include "RtCalls.h"
#include "Rt.h"
#include "RtHook.h"
#include <stddef.h>

// The tables name their texts by place in a block of them, each with its
// terminator, rather than by an address of their own: smaller rows, and no
// relocation for each.

#define RT_LIBRARY_FILE_FIELD(library, file, loaded) char library[sizeof file];
struct RtLibraryFileBlock {
    RT_LIBRARIES(RT_LIBRARY_FILE_FIELD)
};
#undef RT_LIBRARY_FILE_FIELD

// Room for the longest file name, made wide when its library is first needed.
constexpr int RtLibraryFileCapacity = 24;
#define RT_LIBRARY_FILE_FITS(library, file, loaded) static_assert(sizeof file <= RtLibraryFileCapacity, file);
RT_LIBRARIES(RT_LIBRARY_FILE_FITS)
#undef RT_LIBRARY_FILE_FITS

#define RT_LIBRARY_FILE(library, file, loaded) file,
static const RtLibraryFileBlock RtLibraryFiles = {RT_LIBRARIES(RT_LIBRARY_FILE)};
#undef RT_LIBRARY_FILE

struct RtLibrary {
    unsigned char loadedAtStart;    // by every process: found, never loaded again
    unsigned char file;             // its file name's place in RtLibraryFiles
};

#define RT_LIBRARY_ROW(library, file, loaded) {loaded, offsetof(RtLibraryFileBlock, library)},
static const RtLibrary RtLibraries[RtLibraryCount] = {RT_LIBRARIES(RT_LIBRARY_ROW)};
#undef RT_LIBRARY_ROW
static_assert(sizeof(RtLibraryFileBlock) <= 0xFF, "every file name's place fits its row");

#define RT_CALL_NAME_FIELD(library, name, type) char name[sizeof #name];
struct RtCallNameBlock {
    RT_CALLS(RT_CALL_NAME_FIELD)
};
#undef RT_CALL_NAME_FIELD

#define RT_CALL_NAME(library, name, type) #name,
static const RtCallNameBlock RtCallNames = {RT_CALLS(RT_CALL_NAME)};
#undef RT_CALL_NAME

// Three bytes a row: x86 reads the unaligned place as fast.
struct [[gnu::packed]] RtCall {
    unsigned char library;      // an RtLibraryId
    unsigned short name;        // its name's place in RtCallNames
};

#define RT_CALL_ROW(library, name, type) {RtLibrary##library, offsetof(RtCallNameBlock, name)},
static const RtCall RtCallTable[RtCallCount] = {RT_CALLS(RT_CALL_ROW)};
#undef RT_CALL_ROW
static_assert(sizeof(RtCallNameBlock) <= 0xFFFF, "every name's place fits its row");

static HMODULE RtModules[RtLibraryCount];
static int RtModuleTried[RtLibraryCount];
static void (*RtAddresses[RtCallCount])();
static int RtAddressTried[RtCallCount];

static HMODULE RtModule(RtLibraryId library)
{
    if (!RtModuleTried[library]) {
        RtModuleTried[library] = 1;
        const RtLibrary& row = RtLibraries[library];
        const char* name = (const char*)&RtLibraryFiles + row.file;
        wchar_t file[RtLibraryFileCapacity];
        int i = 0;
        for (; name[i]; i++)
            file[i] = (wchar_t)name[i];
        file[i] = 0;
        RtModules[library] = row.loadedAtStart ? GetModuleHandleW(file) : RtLoadSystemDll(file);
    }
    return RtModules[library];
}

void (*RtCallAddressUnhooked(RtCallId call))()
{
    if (!RtAddressTried[call]) {
        RtAddressTried[call] = 1;
        const RtCall& row = RtCallTable[call];
        HMODULE module = RtModule((RtLibraryId)row.library);
        const char* name = (const char*)&RtCallNames + row.name;
        RtAddresses[call] = module ? (void (*)())GetProcAddress(module, name) : nullptr;
    }
    return RtAddresses[call];
}

void (*RtCallAddress(RtCallId call))()
{
    if (RtHooks.RtCallAddress)
        return RtHooks.RtCallAddress(call);
    return RtCallAddressUnhooked(call);
}
