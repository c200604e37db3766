// A program built like the installer (own entry point, no C runtime start-up,
// the runtime's fault hand-over) that installs the signal handlers named on
// its command line and then faults, or ends through RtEnd. Words: segv, fpe,
// divide, end.
#include "runtime/Rt.h"
#include <signal.h>

static void Say(const char* text)
{
    DWORD written;
    DWORD length = 0;
    while (text[length])
        length++;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, length, &written, nullptr);
}

static void __cdecl ReportSegv(int)
{
    Say("SIGSEGV handler ran\n");
}

static void __cdecl ReportFpe(int)
{
    Say("SIGFPE handler ran\n");
}

static int HasWord(const char* commandLine, const char* word)
{
    for (const char* p = commandLine; *p; p++) {
        if (p[0] != ' ')
            continue;
        int i = 0;
        while (word[i] && p[1 + i] == word[i])
            i++;
        if (!word[i] && (p[1 + i] == ' ' || p[1 + i] == 0))
            return 1;
    }
    return 0;
}

static volatile int* volatile unmappedAddress = (int*)16;
static volatile int zero = 0;
static volatile int sink;

static void FaultAsAsked()
{
    const char* commandLine = GetCommandLineA();
    if (HasWord(commandLine, "end"))
        RtEnd();
    if (HasWord(commandLine, "segv"))
        signal(SIGSEGV, ReportSegv);
    if (HasWord(commandLine, "fpe"))
        signal(SIGFPE, ReportFpe);
    if (HasWord(commandLine, "divide"))
        sink = 7 / zero;
    else
        *unmappedAddress = 1;
    Say("fault resumed\n");
    ExitProcess(0);
}

extern "C" __attribute__((force_align_arg_pointer)) void WINAPI ProgramEntry()
{
    RtInstallFaultHandler();
    RtPrepare(GetModuleHandleA(nullptr));
    FaultAsAsked();
}
