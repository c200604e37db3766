#include "Rt.h"

// The program may run elevated (its copy with rights), often from a download
// folder where anyone can drop a DLL. Windows looks beside the program first for every DLL that is not
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

HMODULE RtLoadSystemDll(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    UINT nameLength = 0;
    while (name[nameLength])
        nameLength++;
    if (length == 0 || length + 1 + nameLength >= MAX_PATH)
        return nullptr;
    path[length++] = L'\\';
    for (UINT i = 0; i <= nameLength; i++)
        path[length + i] = name[i];
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
