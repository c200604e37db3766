// A DLL that someone could drop into a download folder under a system DLL's
// name. Loading it leaves a marker beside it: "<its path>.loaded". It exports
// what the installer once imported from comctl32, so that an importer of that
// name would load and run it without noticing.
#include <windows.h>

static void LeaveMarker(HINSTANCE self)
{
    char path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcpyA(path + length, ".loaded");
    HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE)
        CloseHandle(marker);
}

extern "C" __declspec(dllexport) void WINAPI InitCommonControls() {}

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMarker(self);
    return TRUE;
}
