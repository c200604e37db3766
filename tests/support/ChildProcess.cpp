#include "ChildProcess.h"
#include <cstring>
#include <map>

static std::map<std::string, ChildModeFunction>& ChildModes()
{
    static std::map<std::string, ChildModeFunction> modes;
    return modes;
}

ChildModeRegistration::ChildModeRegistration(const char* name, ChildModeFunction function)
{
    ChildModes()[name] = function;
}

bool RunChildModeIfAsked(int argc, char** argv, int* exitCode)
{
    static const char prefix[] = "--child=";
    for (int i = 1; i < argc; i++) {
        if (strncmp(argv[i], prefix, sizeof prefix - 1) != 0)
            continue;
        auto found = ChildModes().find(argv[i] + sizeof prefix - 1);
        *exitCode = found == ChildModes().end() ? 99 : found->second();
        return true;
    }
    return false;
}

void DrainPipe(HANDLE pipe, std::string& output)
{
    DWORD available = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        char chunk[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) || got == 0)
            return;
        output.append(chunk, got);
    }
}

ChildResult RunProcess(const std::string& commandLine, DWORD timeoutMs)
{
    ChildResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return result;
    }
    DWORD deadline = GetTickCount() + timeoutMs;
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        DrainPipe(readEnd, result.output);
        if ((LONG)(GetTickCount() - deadline) > 0) {
            TerminateProcess(process.hProcess, 0xDEAD);
            WaitForSingleObject(process.hProcess, 5000);
            break;
        }
    }
    DrainPipe(readEnd, result.output);
    result.finished = (LONG)(GetTickCount() - deadline) <= 0;
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);
    return result;
}

ChildResult RunSelfAsChild(const std::string& mode, DWORD timeoutMs)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    return RunProcess("\"" + std::string(self) + "\" --child=" + mode, timeoutMs);
}

HANDLE StartSelfAsChild(const std::string& mode)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string line = "\"" + std::string(self) + "\" --child=" + mode;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}
