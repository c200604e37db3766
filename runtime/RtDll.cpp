#include "Rt.h"
#include "RtCalls.h"
#include "RtHook.h"

// The program may run elevated (its copy with rights), often from a download
// folder where anyone can drop a DLL. Windows looks beside the program first for every DLL that is not
// a KnownDLL, so code is only ever loaded from the system folder.

void RtRestrictDllSearch()
{
    // Older systems lack SetDefaultDllDirectories; there the current folder
    // at least leaves the search.
    auto setDefaultDllDirectories = RtSetDefaultDllDirectories();
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
    // The altered search looks for the DLL's own imports in its folder, then
    // in the current one (the program's, often a download folder) before the
    // others; the system folder's search looks there alone.
    // Present where LoadLibraryExW understands the LOAD_LIBRARY_SEARCH_* flags.
    DWORD search = RtSetDefaultDllDirectories() ? LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH;
    return LoadLibraryExW(path, nullptr, search);
}

// ProcessRedirectionTrustPolicy, and its EnforceRedirectionTrust flag.
constexpr int RtRedirectionTrustPolicy = 16;
constexpr DWORD RtEnforceRedirectionTrust = 0x1;

void RtGuardRedirectionUnhooked()
{
    auto setPolicy = RtSetProcessMitigationPolicy();
    DWORD flags = RtEnforceRedirectionTrust;
    if (setPolicy)
        setPolicy(RtRedirectionTrustPolicy, &flags, sizeof flags);
}

void RtGuardRedirection()
{
    if (RtHooks.RtGuardRedirection)
        return RtHooks.RtGuardRedirection();
    RtGuardRedirectionUnhooked();
}
