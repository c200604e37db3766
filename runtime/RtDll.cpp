#include "Rt.h"

// The program runs elevated, often from a download folder where anyone can
// drop a DLL. Windows looks beside the program first for every DLL that is not
// a KnownDLL, so code is only ever loaded from the system folder.

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

void RtRestrictDllSearch()
{
    // Older systems lack SetDefaultDllDirectories; there the current folder
    // at least leaves the search.
    FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    auto setDefaultDllDirectories = (SetDefaultDllDirectoriesFunction)(void (*)())found;
    if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    SetDllDirectoryW(L"");
}

// The system folder, a backslash and the name; 0 when it does not fit.
static int RtSystemPath(const wchar_t* name, wchar_t* path, UINT size)
{
    UINT length = GetSystemDirectoryW(path, size);
    if (length == 0 || length >= size)
        return 0;
    if (path[length - 1] != L'\\')
        path[length++] = L'\\';
    for (const wchar_t* p = name; *p; p++) {
        if (length + 1 >= size)
            return 0;
        path[length++] = *p;
    }
    path[length] = 0;
    return 1;
}

HMODULE RtLoadSystemDll(const wchar_t* name)
{
    HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module)
        return module;
    // Systems that predate the search flags refuse them: a full path is
    // searched for nowhere. Without flags the call is LoadLibraryW's.
    wchar_t path[MAX_PATH];
    return RtSystemPath(name, path, MAX_PATH) ? LoadLibraryExW(path, nullptr, 0) : nullptr;
}
