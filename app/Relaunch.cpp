#include "Relaunch.h"
#include "Channel.h"
#include "CommandLine.h"
#include "HeldFiles.h"
#include "Texts.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"
#include "runtime/StrWide.h"

int RelaunchCanAsk()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return 0;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    // Before Windows Vista there is no elevation to ask for: the query fails.
    BOOL known = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    return known && !elevation.TokenIsElevated;
}

// The path as the copy will see it, in a new heap block: a mapped drive's
// UNC form, else the path itself.
static wchar_t* RelaunchVisiblePath(const wchar_t* path)
{
    wchar_t* universal = RelaunchUniversalPath(path);
    if (universal)
        return universal;
    int length = lstrlenW(path);
    auto* copy = (wchar_t*)RtAllocUnzeroed((SIZE_T)(length + 1) * sizeof(wchar_t));
    for (int i = 0; copy && i <= length; i++)
        copy[i] = path[i];
    return copy;
}

static wchar_t* RelaunchProgramPath()
{
    auto* path = (wchar_t*)RtAllocUnzeroed(RtPathCapacity * sizeof(wchar_t));
    DWORD length = path ? GetModuleFileNameW(nullptr, path, RtPathCapacity) : 0;
    wchar_t* visible = length > 0 && length < RtPathCapacity ? RelaunchVisiblePath(path) : nullptr;
    RtFree(path);
    return visible;
}

// "/S /L=fr /RELAUNCHED=<channel> /D=<folder>": the folder last, unquoted,
// since the copy takes the rest of its line as the folder (a quoted folder
// ending in a backslash would have its closing quote escaped by other
// parsers).
static wchar_t* RelaunchParameters(const InstallationOrder& order)
{
    wchar_t* wideHost = StrToWide(order.host);
    wchar_t* visibleHost = wideHost ? RelaunchVisiblePath(wideHost) : nullptr;
    RtFree(wideHost);
    if (!visibleHost)
        return nullptr;
    char* start = StrWorkPosition();
    StrAppend(order.language == LanguageFrench ? "/S /L=fr /RELAUNCHED=" : "/S /L=en /RELAUNCHED=");
    StrAppend(ChannelName());
    StrAppend(" /D=");
    StrFromWide(visibleHost, StrWorkPosition());
    RtFree(visibleHost);
    wchar_t* parameters = StrToWide(start);
    StrRewind(start);
    return parameters;
}

// The copy's process, or null when it did not start (the user refused, or
// there is no account to give the rights).
static HANDLE RelaunchStart(const InstallationOrder& order, HWND owner)
{
    wchar_t* program = RelaunchProgramPath();
    wchar_t* parameters = RelaunchParameters(order);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    // The copy's process is kept to wait for; no error box of the system's
    // own, in its language rather than the one chosen.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"runas";
    info.lpFile = program;
    info.lpParameters = parameters;
    info.nShow = SW_HIDE;
    // The file that gets the rights is the file that was clicked: held
    // without write or delete sharing until the copy has started, it can be
    // neither changed nor renamed and replaced meanwhile. One that cannot be
    // held so is being changed: no copy is started.
    HANDLE own = program ? CreateFileW(program, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr)
                         : INVALID_HANDLE_VALUE;
    BOOL started = own != INVALID_HANDLE_VALUE && parameters && RelaunchExecute(&info);
    if (own != INVALID_HANDLE_VALUE)
        CloseHandle(own);
    RtFree(program);
    RtFree(parameters);
    return started ? info.hProcess : nullptr;
}

// Replays the copy's log, and answers its questions about held files as
// this process would ask about its own; the copy's result, or -1 when it
// sent none.
static int RelaunchRelay(HANDLE process, InstallationLog log)
{
    if (!ChannelAccept(process))
        return -1;
    ChannelRecord record;
    while (ChannelReceive(&record)) {
        if (record.kind == ChannelLine)
            LogLine(log, record.text);
        else if (record.kind == ChannelStep)
            LogAdvance(log, record.number);
        else if (record.kind == ChannelQuestion)
            ChannelSendNumber(ChannelAnswer, AskRetryHeldFile(log, record.text, record.holders));
        else if (record.kind == ChannelResult)
            return record.number;
    }
    return -1;
}

RelaunchOutcome RelaunchInstall(const InstallationOrder& order, HWND owner)
{
    RelaunchOutcome outcome = {-1, ExitNoRights};
    HANDLE process = ChannelCreate() ? RelaunchStart(order, owner) : nullptr;
    if (process) {
        outcome.filesNotWritten = RelaunchRelay(process, order.log);
        // The lines about the files kept, as after an installation of its own.
        LogHeldFiles(order.log);
        // Closed first: a copy that still writes to it fails, rather than
        // waiting for a reader.
        ChannelClose();
        WaitForSingleObject(process, INFINITE);
        DWORD exitCode = ExitNoRights;
        GetExitCodeProcess(process, &exitCode);
        outcome.exitCode = exitCode;
        CloseHandle(process);
    }
    ChannelClose();
    return outcome;
}
