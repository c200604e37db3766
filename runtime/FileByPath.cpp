// File service: files created, read, moved and folders made by path,
// relative names relative to the program's folder; apart from the rest, so
// that a program that reaches files only through handles it opened
// elsewhere (Tree.h) does not import the system's functions for them.
#include "File.h"
#include "Rt.h"

// A name that names its drive and folder ("C:\x", "\\server\x", a long or
// device form): the current folder plays no part in it.
static int FileFullyNamed(const char* name)
{
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    return name && name[0] && ((name[1] == ':' && separator(name[2])) || (separator(name[0]) && separator(name[1])));
}

// A name relative to the program's folder, as the wide path for the system.
// The current folder is set only when the name needs it: setting it opens
// the folder.
static wchar_t* FileProgramPath(const char* name)
{
    if (!FileFullyNamed(name))
        SetCurrentDirectoryW(RtProgramFolder);
    return FileWidePath(name);
}

// Null when the file cannot be opened.
static HANDLE FileOpen(const char* name, DWORD access, DWORD disposition)
{
    wchar_t* path = FileProgramPath(name);
    HANDLE file = path ? CreateFileW(path, access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr)
                       : INVALID_HANDLE_VALUE;
    RtFree(path);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

HANDLE FileCreate(int number, const char* name)
{
    return FileTake(number, FileOpen(name, GENERIC_WRITE, CREATE_ALWAYS));
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

int DirCreate(const char* path)
{
    wchar_t* folder = FileWidePath(path);
    int created = folder && CreateDirectoryW(folder, nullptr) ? 1 : 0;
    RtFree(folder);
    return created;
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
