// The shell and the network provider are loaded only when a copy with rights
// is started: imported, they would be loaded, with all they load, at every
// start.
#include "app/rights/Relaunch.h"
#include "app/AppHook.h"
#include "runtime/Rt.h"
#include "runtime/RtCalls.h"

DWORD RelaunchExecuteUnhooked(SHELLEXECUTEINFOW* info)
{
    auto shellExecuteEx = RtShellExecuteExW();
    if (!shellExecuteEx)
        return ERROR_PROC_NOT_FOUND;
    if (shellExecuteEx(info))
        return ERROR_SUCCESS;
    DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

DWORD RelaunchExecute(SHELLEXECUTEINFOW* info)
{
    if (AppHooks.RelaunchExecute)
        return AppHooks.RelaunchExecute(info);
    return RelaunchExecuteUnhooked(info);
}

// Only a drive letter that names a network drive is looked up.
HeapWideStr RelaunchUniversalPath(const wchar_t* path)
{
    if (!path[0] || path[1] != L':' || path[2] != L'\\')
        return nullptr;
    const wchar_t root[] = {path[0], L':', L'\\', 0};
    if (GetDriveTypeW(root) != DRIVE_REMOTE)
        return nullptr;
    auto universalName = RtWNetGetUniversalNameW();
    DWORD size = RtPathCapacity * sizeof(wchar_t) + sizeof(UNIVERSAL_NAME_INFOW);
    auto* info = (UNIVERSAL_NAME_INFOW*)RtAllocUnzeroed(size);
    if (!universalName || !info || universalName(path, UNIVERSAL_NAME_INFO_LEVEL, info, &size) != NO_ERROR) {
        RtFree(info);
        return nullptr;
    }
    // The name lies inside the same block, after the structure: moved to its start.
    wchar_t* name = (wchar_t*)info;
    const wchar_t* universal = info->lpUniversalName;
    int i = 0;
    for (; universal[i]; i++)
        name[i] = universal[i];
    name[i] = 0;
    return name;
}
