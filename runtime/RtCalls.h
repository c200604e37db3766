#pragma once
// The system's functions that the program looks up at run time, in one
// table per library: newer ones, so that the program still starts where
// they are missing, and those of libraries loaded only when first needed
// (imported, they would be loaded, with all they load, at every start). A
// library is taken from the system folder alone (RtLoadSystemDll), or is one
// every process has loaded already, and stays loaded until the process
// ends. A call site asks only whether its function is there:
//     auto getProcessId = RtGetProcessId();
//     if (getProcessId) ...
#include <windows.h>
#include <restartmanager.h>
#include <shellapi.h>
#include <shobjidl.h>
#include <winternl.h>

// The libraries, each with its file name (ASCII) and whether every process
// has it loaded from its start.
#define RT_LIBRARIES(X)                        \
    X(Kernel32, "kernel32.dll", 1)            \
    X(User32, "user32.dll", 1)                \
    X(Ntdll, "ntdll.dll", 1)                  \
    X(Shell32, "shell32.dll", 0)              \
    X(Ole32, "ole32.dll", 0)                  \
    X(Mpr, "mpr.dll", 0)                      \
    X(Rstrtmgr, "rstrtmgr.dll", 0)            \
    X(Bcrypt, "bcrypt.dll", 0)                \
    X(BcryptPrimitives, "bcryptprimitives.dll", 0) \
    X(Shcore, "shcore.dll", 0)

// The functions, each with its library and its type.
#define RT_CALLS(X)                                                                                  \
    X(Kernel32, SetDefaultDllDirectories, BOOL(WINAPI*)(DWORD))                                      \
    X(Kernel32, GetProcessId, DWORD(WINAPI*)(HANDLE))                                                \
    X(Kernel32, GetNamedPipeClientProcessId, BOOL(WINAPI*)(HANDLE, PULONG))                          \
    X(Kernel32, GetFinalPathNameByHandleW, DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD))             \
    X(Kernel32, CompareStringOrdinal, int(WINAPI*)(LPCWSTR, int, LPCWSTR, int, BOOL))                \
    X(Kernel32, SetProcessMitigationPolicy, BOOL(WINAPI*)(int, PVOID, SIZE_T))                       \
    X(User32, AdjustWindowRectExForDpi, BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT))             \
    X(Ntdll, NtCreateFile,                                                                           \
      NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER, ULONG, \
                       ULONG, ULONG, ULONG, PVOID, ULONG))                                           \
    X(Ntdll, NtSetInformationFile, NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, int))    \
    X(Ntdll, NtQueryInformationFile, NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, int))  \
    X(Ntdll, RtlNtStatusToDosError, ULONG(NTAPI*)(NTSTATUS))                                         \
    X(Shell32, ShellExecuteExW, BOOL(WINAPI*)(SHELLEXECUTEINFOW*))                                   \
    X(Shell32, SHCreateItemFromParsingName, HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**))     \
    X(Shell32, SHGetKnownFolderPath, HRESULT(WINAPI*)(REFGUID, DWORD, HANDLE, PWSTR*))               \
    X(Ole32, CoInitializeEx, HRESULT(WINAPI*)(void*, DWORD))                                         \
    X(Ole32, CoUninitialize, void(WINAPI*)())                                                        \
    X(Ole32, CoCreateInstance, HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**))         \
    X(Ole32, CoTaskMemFree, void(WINAPI*)(void*))                                                    \
    X(Mpr, WNetGetUniversalNameW, DWORD(WINAPI*)(LPCWSTR, DWORD, LPVOID, LPDWORD))                   \
    X(Rstrtmgr, RmStartSession, decltype(&RmStartSession))                                           \
    X(Rstrtmgr, RmRegisterResources, decltype(&RmRegisterResources))                                 \
    X(Rstrtmgr, RmGetList, decltype(&RmGetList))                                                     \
    X(Rstrtmgr, RmEndSession, decltype(&RmEndSession))                                               \
    X(Bcrypt, BCryptGenRandom, LONG(WINAPI*)(void*, PUCHAR, ULONG, ULONG))                           \
    X(BcryptPrimitives, ProcessPrng, BOOL(WINAPI*)(PBYTE, SIZE_T))                                   \
    X(Shcore, GetDpiForMonitor, HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*))

#define RT_LIBRARY_ID(library, file, loaded) RtLibrary##library,
enum RtLibraryId { RT_LIBRARIES(RT_LIBRARY_ID) RtLibraryCount };
#undef RT_LIBRARY_ID

#define RT_CALL_ID(library, name, type) RtCall##name,
enum RtCallId { RT_CALLS(RT_CALL_ID) RtCallCount };
#undef RT_CALL_ID

// The function's address, its library loaded on the first call of any of
// its functions; null where the system lacks either.
void (*RtCallAddress(RtCallId call))();

// Rt<function>(): the function, typed, or null.
#define RT_CALL_ACCESSOR(library, name, type) \
    using RtType##name = type;                \
    inline RtType##name Rt##name() { return (RtType##name)RtCallAddress(RtCall##name); }
RT_CALLS(RT_CALL_ACCESSOR)
#undef RT_CALL_ACCESSOR
