// File service: the move by path, apart from the rest so that a program
// that never moves a file by path does not import the system's move.
#include "File.h"
#include "Rt.h"

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
