#include "DurableFloor.h"
#include "payload/Payload.h"
#include <windows.h>
#include <cstring>

namespace {

struct FloorFile {
    const char* path;                   // under the host folder
    const unsigned char* start;
    const unsigned char* end;
};

const char* const FloorFolders[] = {"Help",      "PureLibraries", "PureLibraries\\UserLibraries", "Residents",
                                    "Examples",  "Examples\\Quillfern", "Examples\\Quillfern\\Tintwell"};

const FloorFile FloorFiles[] = {
    {"Help\\Quillfern.chm", HelpFrenchStart, HelpEnglishStart},
    {"PureLibraries\\UserLibraries\\Quillfern", LibraryFileStart, ResidentFileStart},
    {"Residents\\Ostravel.res", ResidentFileStart, ExampleSourcesStart},
    {"Examples\\Quillfern\\Tintwell\\Tintwell.pb", ExampleSourcesStart,
     ExampleSourcesStart + PayloadExampleTintwellSize},
};

constexpr size_t FloorPathCapacity = MAX_PATH;

bool Join(char* out, const char* host, const char* path, const char* suffix = "")
{
    if (strlen(host) + strlen(path) + strlen(suffix) >= FloorPathCapacity)
        return false;
    strcpy(out, host);
    strcat(out, path);
    strcat(out, suffix);
    return true;
}

bool WriteBeside(const char* fresh, const FloorFile& file)
{
    HANDLE handle = CreateFileA(fresh, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = (DWORD)(file.end - file.start), done = 0;
    bool written = WriteFile(handle, file.start, size, &done, nullptr) && done == size && FlushFileBuffers(handle);
    CloseHandle(handle);
    return written;
}

bool ReadsBack(const char* target, const FloorFile& file)
{
    HANDLE handle = CreateFileA(target, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = (DWORD)(file.end - file.start), done = 0;
    void* bytes = HeapAlloc(GetProcessHeap(), 0, size + 1);
    // One byte more than the file should hold: a longer file shows.
    bool same = bytes && ReadFile(handle, bytes, size + 1, &done, nullptr) && done == size
        && memcmp(bytes, file.start, size) == 0;
    HeapFree(GetProcessHeap(), 0, bytes);
    CloseHandle(handle);
    return same;
}

}

bool WriteFilesDurably(const char* host)
{
    char path[FloorPathCapacity], fresh[FloorPathCapacity];
    for (const char* folder : FloorFolders) {
        if (!Join(path, host, folder) || (!CreateDirectoryA(path, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS))
            return false;
    }
    for (const FloorFile& file : FloorFiles) {
        if (!Join(path, host, file.path) || !Join(fresh, host, file.path, ".new") || !WriteBeside(fresh, file)
            || !MoveFileExA(fresh, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) || !ReadsBack(path, file))
            return false;
    }
    return true;
}
