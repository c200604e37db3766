// Linked into a test build of the installer only, never into the shipped
// program. Its hooks take two calls over, to give two new files the faults a
// failing disk gives them:
// - once the new residents file is written and flushed, its last byte is
//   changed, as a failing disk or another writer might change it, before
//   the installer reads it back. Its length stays right: only a comparison
//   of the bytes can tell;
// - the flush of the new library file fails, as a disk that loses its
//   cache's bytes reports it. The bytes still read back as written, from
//   the cache: only the flush's result can tell.
#include "runtime/RtHook.h"

static HANDLE Spoiled;
static bool FlushFails;

static void FlipLastByte(HANDLE file)
{
    unsigned char byte = 0;
    DWORD done = 0;
    SetFilePointer(file, -1, nullptr, FILE_END);
    ReadFile(file, &byte, 1, &done, nullptr);
    byte ^= 0xFF;
    SetFilePointer(file, -1, nullptr, FILE_END);
    WriteFile(file, &byte, 1, &done, nullptr);
}

static HANDLE NoteCreated(HANDLE folder, const char* name)
{
    HANDLE file = TreeCreateFileUnhooked(folder, name);
    Spoiled = lstrcmpiA(name, "Ostravel.res.new") == 0 ? file : nullptr;
    FlushFails = lstrcmpiA(name, "Quillfern.new") == 0;
    return file;
}

// The bytes are flushed all the same: only the result is false.
static int SpoilFlushed(int number)
{
    int flushed = FileFlushUnhooked(number);
    if (Spoiled)
        FlipLastByte(Spoiled);
    Spoiled = nullptr;
    return FlushFails ? 0 : flushed;
}

extern const RtHookTable RtHooks = {
    .TreeCreateFile = NoteCreated,
    .FileFlush = SpoilFlushed,
};
