// Linked into a test build of the installer only, never into the shipped
// program. The link wraps three calls of the file service, to give two new
// files the faults a failing disk gives them:
// - once the new residents file is written and closed, its last byte is
//   changed on disk, as a failing disk or another writer might change it,
//   before the installer reads it back. Its length stays right: only a
//   comparison of the bytes can tell;
// - the flush of the new library file fails, as a disk that loses its
//   cache's bytes reports it. The bytes still read back as written, from
//   the cache: only the flush's result can tell.
#include <windows.h>

// FileCreateNew(int, const char*), FileClose(int) and FileFlush(int) as the
// linker knows them.
extern "C" HANDLE __real__Z13FileCreateNewiPKc(int number, const char* name);
extern "C" void __real__Z9FileClosei(int number);
extern "C" int __real__Z9FileFlushi(int number);

static char Spoiled[MAX_PATH];
static bool FlushFails;

static bool EndsWith(const char* text, const char* tail)
{
    int textLength = text ? lstrlenA(text) : 0, tailLength = lstrlenA(tail);
    return textLength >= tailLength && lstrcmpiA(text + textLength - tailLength, tail) == 0;
}

static void FlipLastByte(const char* name)
{
    HANDLE file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    unsigned char byte = 0;
    DWORD done = 0;
    SetFilePointer(file, -1, nullptr, FILE_END);
    ReadFile(file, &byte, 1, &done, nullptr);
    byte ^= 0xFF;
    SetFilePointer(file, -1, nullptr, FILE_END);
    WriteFile(file, &byte, 1, &done, nullptr);
    CloseHandle(file);
}

extern "C" HANDLE __wrap__Z13FileCreateNewiPKc(int number, const char* name)
{
    Spoiled[0] = 0;
    if (EndsWith(name, "\\Ostravel.res.new"))
        lstrcpynA(Spoiled, name, sizeof Spoiled);
    FlushFails = EndsWith(name, "\\UserLibraries\\Quillfern.new");
    return __real__Z13FileCreateNewiPKc(number, name);
}

extern "C" void __wrap__Z9FileClosei(int number)
{
    __real__Z9FileClosei(number);
    if (Spoiled[0])
        FlipLastByte(Spoiled);
    Spoiled[0] = 0;
}

// The bytes are flushed all the same: only the result is false.
extern "C" int __wrap__Z9FileFlushi(int number)
{
    int flushed = __real__Z9FileFlushi(number);
    return FlushFails ? 0 : flushed;
}
