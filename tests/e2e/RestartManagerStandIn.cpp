// A stand-in for the Restart Manager (rstrtmgr.dll): Windows' own lists the
// applications that hold a registered file open; Wine's lists none. This
// one lists one application, in two processes (two of its windows), named
// StandInHolderName, while a file whose name ends in StandInHeldFile is
// registered, and none otherwise. It follows the real list's protocol:
// asked with too little room, it answers ERROR_MORE_DATA with the count.
// Each file registered is written down, a line of UTF-8 each, in a file
// beside it: "<its path>.registered".
#include "RestartManagerStandIn.h"
#include <restartmanager.h>

static HINSTANCE Self;
static bool HeldFileRegistered;
constexpr UINT ListedProcesses = 2;

static void WriteDown(LPCWSTR file)
{
    wchar_t path[MAX_PATH + 16];
    DWORD length = GetModuleFileNameW(Self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcpyW(path + length, L".registered");
    HANDLE list = CreateFileW(path, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (list == INVALID_HANDLE_VALUE)
        return;
    char line[4 * MAX_PATH];
    int size = WideCharToMultiByte(CP_UTF8, 0, file, -1, line, sizeof line - 1, nullptr, nullptr);
    if (size > 0) {
        line[size - 1] = '\n';
        DWORD written = 0;
        WriteFile(list, line, (DWORD)size, &written, nullptr);
    }
    CloseHandle(list);
}

static bool EndsWith(const wchar_t* text, const wchar_t* end)
{
    int textLength = lstrlenW(text), endLength = lstrlenW(end);
    return textLength >= endLength && lstrcmpiW(text + textLength - endLength, end) == 0;
}

extern "C" __declspec(dllexport) DWORD WINAPI RmStartSession(DWORD* session, DWORD, WCHAR key[])
{
    *session = 1;
    key[0] = 0;
    HeldFileRegistered = false;
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) DWORD WINAPI RmRegisterResources(DWORD, UINT fileCount, LPCWSTR files[], UINT,
                                                                   RM_UNIQUE_PROCESS[], UINT, LPCWSTR[])
{
    for (UINT i = 0; i < fileCount; i++) {
        WriteDown(files[i]);
        HeldFileRegistered = HeldFileRegistered || EndsWith(files[i], StandInHeldFile);
    }
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) DWORD WINAPI RmGetList(DWORD, UINT* needed, UINT* count, RM_PROCESS_INFO list[],
                                                         LPDWORD reasons)
{
    UINT listed = HeldFileRegistered ? ListedProcesses : 0;
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
