#pragma once
// Runs scenarios that end the process (faults, RtEnd) in a child: the test
// program starts itself again with --child=<mode>.
#include <windows.h>
#include <string>

struct ChildResult {
    bool finished = false;      // ended before the deadline
    DWORD exitCode = 0;
    std::string output;         // stdout and stderr together
};

ChildResult RunSelfAsChild(const std::string& mode, DWORD timeoutMs = 60000);
// Appends what the pipe holds now to the output, without waiting.
void DrainPipe(HANDLE pipe, std::string& output);
// Any command line, with the same output capture and deadline.
ChildResult RunProcess(const std::string& commandLine, DWORD timeoutMs = 60000);

// Starts a child mode without waiting for it; the caller waits on and closes
// the returned process handle (null when it could not start).
HANDLE StartSelfAsChild(const std::string& mode);

using ChildModeFunction = int (*)();
struct ChildModeRegistration {
    ChildModeRegistration(const char* name, ChildModeFunction function);
};

// Runs the mode named on the command line, if any; returns true when it did.
bool RunChildModeIfAsked(int argc, char** argv, int* exitCode);

#define CHILD_MODE(name)                                                            \
    static int ChildMode_##name();                                                  \
    static ChildModeRegistration childModeRegistration_##name(#name, ChildMode_##name); \
    static int ChildMode_##name()
