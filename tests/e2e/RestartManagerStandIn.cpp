// A stand-in for the Restart Manager (rstrtmgr.dll): Windows' own lists the
// applications that hold a registered file open; Wine's lists none. This
// one lists one application, StandInHolderName, in two processes (two of
// its windows), for any file or process registered, by the real list's
// protocol: asked with too little room, it answers ERROR_MORE_DATA and the
// count. It writes each file registered down in "<its path>.asked", a UTF-8
// line each, and each process as "process <id>".
#include "RestartManagerStandIn.h"
#include <restartmanager.h>

static HINSTANCE Self;
static bool FileRegistered;
constexpr UINT ListedProcesses = 2;

static void WriteDown(LPCWSTR file)
{
    wchar_t path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameW(Self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcpyW(path + length, L".asked");
    HANDLE list = CreateFileW(path, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    char line[4 * MAX_PATH];
    int size = WideCharToMultiByte(CP_UTF8, 0, file, -1, line, sizeof line, nullptr, nullptr);
    DWORD written = 0;
    if (list != INVALID_HANDLE_VALUE && size > 0) {
        line[size - 1] = '\n';
        WriteFile(list, line, (DWORD)size, &written, nullptr);
    }
    CloseHandle(list);
}

extern "C" __declspec(dllexport) DWORD WINAPI RmStartSession(DWORD* session, DWORD, WCHAR key[])
{
    *session = 1;
    key[0] = 0;
    FileRegistered = false;
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) DWORD WINAPI RmRegisterResources(DWORD, UINT fileCount, LPCWSTR files[],
                                                                   UINT processCount, RM_UNIQUE_PROCESS processes[],
                                                                   UINT, LPCWSTR[])
{
    for (UINT i = 0; i < fileCount; i++)
        WriteDown(files[i]);
    for (UINT i = 0; i < processCount; i++) {
        wchar_t line[32];
        wsprintfW(line, L"process %lu", processes[i].dwProcessId);
        WriteDown(line);
    }
    FileRegistered = FileRegistered || fileCount > 0 || processCount > 0;
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) DWORD WINAPI RmGetList(DWORD, UINT* needed, UINT* count, RM_PROCESS_INFO list[],
                                                         LPDWORD reasons)
{
    UINT listed = FileRegistered ? ListedProcesses : 0;
    *needed = listed;
    *reasons = RmRebootReasonNone;
    if (*count < listed || (listed > 0 && !list)) {
        *count = 0;
        return ERROR_MORE_DATA;
    }
    for (UINT i = 0; i < listed; i++) {
        list[i] = RM_PROCESS_INFO{};
        list[i].Process.dwProcessId = 4000 + i;
        lstrcpynW(list[i].strAppName, StandInHolderName, CCH_RM_MAX_APP_NAME + 1);
        list[i].ApplicationType = RmMainWindow;
    }
    *count = listed;
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) DWORD WINAPI RmEndSession(DWORD)
{
    return ERROR_SUCCESS;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        Self = self;
    return TRUE;
}
