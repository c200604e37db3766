#include "Rt.h"
#include <signal.h>

// Puts back and raises the handler the program installed for the signal.
// Returns 0 when it has none.
static int RtRaiseInstalledHandler(int signalNumber)
{
    auto installed = signal(signalNumber, SIG_DFL);
    if (installed == SIG_DFL || installed == SIG_ERR)
        return 0;
    signal(signalNumber, installed);
    raise(signalNumber);
    return 1;
}

// The outermost handler of every fault. It never resumes the faulting code:
// after the hand-over the system's default handling ends the process.
static LONG WINAPI RtFaultFilter(EXCEPTION_POINTERS*)
{
    if (!RtRaiseInstalledHandler(SIGSEGV))
        RtRaiseInstalledHandler(SIGFPE);
    return EXCEPTION_CONTINUE_SEARCH;
}

void RtInstallFaultHandler()
{
    SetUnhandledExceptionFilter(RtFaultFilter);
}
