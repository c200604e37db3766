#include "File.h"
#include "Rt.h"

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

// A name relative to the program's folder, as the wide path for the system.
static wchar_t* FileProgramPath(const char* name)
{
    SetCurrentDirectoryW(RtProgramFolder);
    return FileWidePath(name);
}

// Null when the file cannot be opened.
static HANDLE FileOpen(const char* name, DWORD access, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL)
{
    wchar_t* path = FileProgramPath(name);
    HANDLE file = path ? CreateFileW(path, access, FILE_SHARE_READ, nullptr, disposition, flags, nullptr)
                       : INVALID_HANDLE_VALUE;
    RtFree(path);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
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

static HANDLE FileMake(int number, const char* name, DWORD disposition, DWORD flags)
{
    FileWritePending();
    FileCurrent = nullptr;
    if (number < 0 || !RtTableReserve((void**)&FileTable, &FileCount, number, FileTableStep, sizeof(HANDLE)))
        return nullptr;
    HANDLE file = FileOpen(name, GENERIC_WRITE, disposition, flags);
    FileTable[number] = file;
    FileCurrent = file;
    return file;
}

HANDLE FileCreate(int number, const char* name)
{
    return FileMake(number, name, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
}

HANDLE FileCreateNew(int number, const char* name)
{
    return FileMake(number, name, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
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

int FileFlush(int number)
{
    HANDLE file = FileEntry(number);
    if (!file)
        return 0;
    int handedOver = file != FileCurrent || FileWritePending();
    return FlushFileBuffers(file) && handedOver ? 1 : 0;
}

int DirCreate(const char* path)
{
    wchar_t* folder = FileWidePath(path);
    int created = folder && CreateDirectoryW(folder, nullptr) ? 1 : 0;
    RtFree(folder);
    return created;
}

int FileDelete(const char* name)
{
    wchar_t* path = FileProgramPath(name);
    int deleted = path && DeleteFileW(path) ? 1 : 0;
    RtFree(path);
    return deleted;
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

static int FileReadMatches(HANDLE file, const unsigned char* start, const unsigned char* end)
{
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, FileReadChunk, sizeof FileReadChunk, &got, nullptr))
            return 0;
        if (got == 0)
            return start == end;
        if (got > (DWORD)(end - start) || !FileSameBytes(FileReadChunk, start, got))
            return 0;
        start += got;
    }
}

int FileHandleMatches(HANDLE file, const unsigned char* start, const unsigned char* end)
{
    return SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 && FileReadMatches(file, start, end);
}

int FileMatches(const char* name, const unsigned char* start, const unsigned char* end)
{
    HANDLE file = FileOpen(name, GENERIC_READ, OPEN_EXISTING);
    if (!file)
        return 0;
    int matches = FileHandleMatches(file, start, end);
    CloseHandle(file);
    return matches;
}

// INVALID_FILE_ATTRIBUTES when there is no such file or folder.
static DWORD FileAttributes(const char* name)
{
    wchar_t* path = FileProgramPath(name);
    DWORD attributes = path ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
    RtFree(path);
    return attributes;
}

int FileExists(const char* name)
{
    DWORD attributes = FileAttributes(name);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int FileIsReadOnly(const char* name)
{
    DWORD attributes = FileAttributes(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) ? 1 : 0;
}

// A move over a file that another program holds open is refused with
// "access denied" (so Wine answers; a sharing violation is taken too), as a
// move over a folder or without rights is: only an open of the target
// itself for what a replacement needs (writing and deleting, every sharing
// allowed) tells them apart, by a sharing violation. A read-only target is
// refused before any move.
static int FileHeldOpen(const wchar_t* path, DWORD moveError)
{
    if (moveError != ERROR_ACCESS_DENIED && moveError != ERROR_SHARING_VIOLATION)
        return 0;
    HANDLE file = CreateFileW(path, FILE_WRITE_DATA | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return 0;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

int FileMoveReplacing(const char* from, const char* to, int* held)
{
    wchar_t* source = FileProgramPath(from);
    wchar_t* target = FileWidePath(to);
    int moved = source && target && MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    DWORD moveError = moved ? ERROR_SUCCESS : GetLastError();
    if (held)
        *held = !moved && target && FileHeldOpen(target, moveError);
    RtFree(target);
    RtFree(source);
    return moved;
}
