#include "File.h"
#include "Rt.h"
#include "RtHook.h"

constexpr int FileTableStep = 10;

static HANDLE* FileTable;
static int FileCount;
static HANDLE FileCurrent;

// Bytes written to the current file wait here and go to the system in one
// call when the buffer is full, and when the file is flushed, closed or
// stops being current: one system call per byte made an installation
// several times slower than its writing needs. A help file of megabytes
// still takes a few hundred calls; both buffers are zeroed data, which
// costs the file nothing.
constexpr DWORD FileBufferSize = 65536;
static unsigned char FilePending[FileBufferSize];
static DWORD FilePendingCount;
// What a read-back takes from the system in one call.
static unsigned char FileReadChunk[FileBufferSize];

void FileInit()
{
    FileTable = nullptr;
    FileCount = 0;
    FileCurrent = nullptr;
    RtTableReserve((void**)&FileTable, &FileCount, 0, FileTableStep, sizeof(HANDLE));
}

int FileCapacity()
{
    return FileCount;
}

// Hands the waiting bytes to the system; 1 when it took them all. The
// buffer is emptied either way, so a failure is reported once.
static int FileWritePending()
{
    DWORD count = FilePendingCount;
    FilePendingCount = 0;
    if (count == 0)
        return 1;
    DWORD written = 0;
    return FileCurrent && WriteFile(FileCurrent, FilePending, count, &written, nullptr) && written == count;
}

HANDLE FileTake(int number, HANDLE file)
{
    FileWritePending();
    FileCurrent = nullptr;
    if (number < 0 || !RtTableReserve((void**)&FileTable, &FileCount, number, FileTableStep, sizeof(HANDLE))) {
        if (file)
            CloseHandle(file);
        return nullptr;
    }
    FileTable[number] = file;
    FileCurrent = file;
    return file;
}

int FileWriteByte(int value)
{
    if (!FileCurrent)
        return 0;
    if (FilePendingCount == sizeof FilePending && !FileWritePending())
        return 0;
    FilePending[FilePendingCount++] = (unsigned char)value;
    return 1;
}

// At most this much in one WriteFile: some network redirectors refuse
// single writes of tens of megabytes.
constexpr DWORD FileWriteLimit = 4 << 20;

int FileWriteBytes(const unsigned char* start, const unsigned char* end)
{
    if (!FileCurrent || !FileWritePending())
        return 0;
    while (start < end) {
        SIZE_T left = (SIZE_T)(end - start);
        DWORD count = left > FileWriteLimit ? FileWriteLimit : (DWORD)left;
        DWORD written = 0;
        if (!WriteFile(FileCurrent, start, count, &written, nullptr) || written != count)
            return 0;
        start += count;
    }
    return 1;
}

// The open file under a number; null for a number outside the table.
static HANDLE FileEntry(int number)
{
    return number >= 0 && number < FileCount ? FileTable[number] : nullptr;
}

// Clears the entry and the current file, so that a later write fails
// instead of going to a closed handle, or to another file that reused it.
void FileClose(int number)
{
    HANDLE file = FileEntry(number);
    if (!file)
        return;
    FileTable[number] = nullptr;
    if (FileCurrent == file) {
        FileWritePending();
        FileCurrent = nullptr;
    }
    CloseHandle(file);
}

int FileFlushUnhooked(int number)
{
    HANDLE file = FileEntry(number);
    if (!file)
        return 0;
    int handedOver = file != FileCurrent || FileWritePending();
    return FlushFileBuffers(file) && handedOver ? 1 : 0;
}

int FileFlush(int number)
{
    if (RtHooks.FileFlush)
        return RtHooks.FileFlush(number);
    return FileFlushUnhooked(number);
}

// A word the width of a pointer, read from any address.
typedef SIZE_T FileWord __attribute__((may_alias, aligned(1)));

// 1 when the count bytes at both places are the same; a word at a time, since
// a read-back compares every byte of every file.
static int FileSameBytes(const unsigned char* one, const unsigned char* other, DWORD count)
{
    for (; count >= sizeof(FileWord); count -= sizeof(FileWord), one += sizeof(FileWord), other += sizeof(FileWord)) {
        if (*(const FileWord*)one != *(const FileWord*)other)
            return 0;
    }
    for (; count > 0; count--) {
        if (*one++ != *other++)
            return 0;
    }
    return 1;
}

// Each read names its offset, counted from the file's start, whatever the
// handle's position: a read there at the end fails with ERROR_HANDLE_EOF.
int FileHandleMatchesUnhooked(HANDLE file, const unsigned char* start, const unsigned char* end)
{
    ULONGLONG offset = 0;
    for (;;) {
        OVERLAPPED at = {};
        at.Offset = (DWORD)offset;
        at.OffsetHigh = (DWORD)(offset >> 32);
        DWORD got = 0;
        if (!ReadFile(file, FileReadChunk, sizeof FileReadChunk, &got, &at) && GetLastError() != ERROR_HANDLE_EOF)
            return 0;
        if (got == 0)
            return start == end;
        if (got > (DWORD)(end - start) || !FileSameBytes(FileReadChunk, start, got))
            return 0;
        start += got;
        offset += got;
    }
}

int FileHandleMatches(HANDLE file, const unsigned char* start, const unsigned char* end)
{
    if (RtHooks.FileHandleMatches)
        return RtHooks.FileHandleMatches(file, start, end);
    return FileHandleMatchesUnhooked(file, start, end);
}

int FileExists(const char* name)
{
    HeapWideStr path = FileWidePath(name);
    DWORD attributes = path ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
    RtFree(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}
