// Linked into a test build of the installer only, never into the shipped
// program. The link wraps the installer's call of ShellExecuteExW, which
// under Wine starts the copy with the caller's own rights and shows no
// consent prompt:
// - each call is written down, one line "verb|program|parameters", at the
//   end of the file named by QUILLFERN_RELAUNCH_LOG (the copy it starts
//   inherits the variable: a copy that asked again would add a line);
// - with QUILLFERN_REFUSE_CONSENT set, the call fails as when the user
//   refuses the prompt, and starts nothing.
// - with QUILLFERN_HOLD_CONSENT naming an event, the call waits until the
//   test sets it, as the system's consent prompt waits for the user.
// With QUILLFERN_HOST_UNWRITABLE set, its test of the host folder finds it
// unwritable, so that a writable folder, where the copy can hold a file's
// place like any process, is installed by a copy with rights.
// The copy itself, before it opens its channel: with QUILLFERN_HOLD_COPY
// naming an event it waits until the test sets it; with QUILLFERN_COPY_EXIT
// it ends at once with that code (a crash's, a copy that could not find its
// folder), sending no result.
#include <windows.h>
#include <shellapi.h>

// RelaunchExecute(SHELLEXECUTEINFOW*) and InstallationCanWrite(const char*)
// as the linker knows them.
extern "C" BOOL __real__Z15RelaunchExecuteP18_SHELLEXECUTEINFOW(SHELLEXECUTEINFOW* info);
extern "C" int __real__Z20InstallationCanWritePKc(const char* host);
extern "C" int __real__Z11ChannelOpenPKci(const char* name, int nameLength);

// Long enough for any scenario's steps, short enough that a test that never
// sets the event does not hang.
constexpr DWORD HoldLimitMs = 120000;

static void HoldWhileAsked(const wchar_t* variable)
{
    wchar_t name[MAX_PATH];
    if (!GetEnvironmentVariableW(variable, name, MAX_PATH))
        return;
    HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, name);
    if (!event)
        return;
    WaitForSingleObject(event, HoldLimitMs);
    CloseHandle(event);
}

static void WriteUtf8(HANDLE file, const wchar_t* text)
{
    static char bytes[4096];
    int size = text ? WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr) : 0;
    DWORD written = 0;
    if (size > 1)
        WriteFile(file, bytes, (DWORD)size - 1, &written, nullptr);
}

static void NoteCall(const SHELLEXECUTEINFOW* info)
{
    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"QUILLFERN_RELAUNCH_LOG", path, MAX_PATH))
        return;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    WriteUtf8(file, info->lpVerb);
    WriteUtf8(file, L"|");
    WriteUtf8(file, info->lpFile);
    WriteUtf8(file, L"|");
    WriteUtf8(file, info->lpParameters);
    WriteUtf8(file, L"\n");
    CloseHandle(file);
}

extern "C" BOOL __wrap__Z15RelaunchExecuteP18_SHELLEXECUTEINFOW(SHELLEXECUTEINFOW* info)
{
    NoteCall(info);
    HoldWhileAsked(L"QUILLFERN_HOLD_CONSENT");
    if (GetEnvironmentVariableW(L"QUILLFERN_REFUSE_CONSENT", nullptr, 0)) {
        SetLastError(ERROR_CANCELLED);
        return FALSE;
    }
    return __real__Z15RelaunchExecuteP18_SHELLEXECUTEINFOW(info);
}

extern "C" int __wrap__Z20InstallationCanWritePKc(const char* host)
{
    if (GetEnvironmentVariableW(L"QUILLFERN_HOST_UNWRITABLE", nullptr, 0))
        return 0;
    return __real__Z20InstallationCanWritePKc(host);
}

extern "C" int __wrap__Z11ChannelOpenPKci(const char* name, int nameLength)
{
    wchar_t code[16];
    if (GetEnvironmentVariableW(L"QUILLFERN_COPY_EXIT", code, 16))
        ExitProcess(wcstoul(code, nullptr, 0));
    HoldWhileAsked(L"QUILLFERN_HOLD_COPY");
    return __real__Z11ChannelOpenPKci(name, nameLength);
}
