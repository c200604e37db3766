#include "app/rights/Relaunch.h"
#include "app/TextFormat.h"
#include "app/rights/Channel.h"
#include "gui/Win.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"
#include "runtime/StrWide.h"

static HANDLE RelaunchProgramFile;     // null when not held

// This program's file, in a new heap block; null when it cannot be told.
static HeapWideStr RelaunchOwnPath()
{
    auto* path = (wchar_t*)RtAllocUnzeroed(RtPathCapacity * sizeof(wchar_t));
    DWORD length = path ? GetModuleFileNameW(nullptr, path, RtPathCapacity) : 0;
    if (length > 0 && length < RtPathCapacity)
        return path;
    RtFree(path);
    return nullptr;
}

void RelaunchHoldProgram()
{
    RelaunchLetGoProgram();
    HeapWideStr path = RelaunchOwnPath();
    HANDLE file = path ? CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr)
                       : INVALID_HANDLE_VALUE;
    if (file != INVALID_HANDLE_VALUE)
        RelaunchProgramFile = file;
    RtFree(path);
}

void RelaunchLetGoProgram()
{
    if (RelaunchProgramFile)
        CloseHandle(RelaunchProgramFile);
    RelaunchProgramFile = nullptr;
}

// The path as the copy will see it: a mapped drive's UNC form, in a new
// heap block that replaces the path's, else the path itself.
static HeapWideStr RelaunchVisiblePath(HeapWideStr path)
{
    wchar_t* universal = path ? RelaunchUniversalPath(path) : nullptr;
    if (!universal)
        return path;
    RtFree(path);
    return universal;
}

// "/S /L=fr /RELAUNCHED=<channel> /D=<folder>": the folder last, unquoted,
// since the copy takes the rest of its line as the folder (a quoted folder
// ending in a backslash would have its closing quote escaped by other
// parsers).
static HeapWideStr RelaunchParameters(const InstallationOrder& order)
{
    HeapWideStr visibleHost = RelaunchVisiblePath(StrToWide(order.host));
    if (!visibleHost)
        return nullptr;
    TempStr start = StrWorkPosition();
    StrAppend(order.language == LanguageFrench ? "/S /L=fr" : "/S /L=en");
    if (order.removal)
        StrAppend(" /UNINSTALL");
    StrAppend(" /RELAUNCHED=");
    StrAppend(ChannelName());
    StrAppend(" /D=");
    StrFromWide(visibleHost, StrWorkPosition());
    RtFree(visibleHost);
    HeapWideStr parameters = StrToWide(start);
    StrRewind(start);
    return parameters;
}

// The system's call, on a thread of its own: it returns only once the user
// has answered the consent prompt, which may take a minute (a password to
// type), while the window must keep answering. The thread leaves its answer
// here; the wait for its end makes it seen.
struct RelaunchCall {
    SHELLEXECUTEINFOW* info;
    DWORD error;
};

static DWORD WINAPI RelaunchExecuteThread(void* call)
{
    auto* taken = (RelaunchCall*)call;
    taken->error = RelaunchExecute(taken->info);
    return 0;
}

// As RelaunchExecute; the window's messages are handled meanwhile.
static DWORD RelaunchExecuteAnswering(SHELLEXECUTEINFOW* info)
{
    RelaunchCall call = {info, ERROR_GEN_FAILURE};
    HANDLE thread = CreateThread(nullptr, 0, RelaunchExecuteThread, &call, 0, nullptr);
    if (!thread)
        return RelaunchExecute(info);
    if (WinWaitObjects(&thread, 1) != 0)
        WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return call.error;
}

// The copy's process, or null when it did not start, *error telling why:
// ERROR_CANCELLED when the user refused (or there is no account to give
// the rights).
static HANDLE RelaunchStart(const InstallationOrder& order, HWND owner, DWORD* error)
{
    HeapWideStr program = RelaunchVisiblePath(RelaunchOwnPath());
    HeapWideStr parameters = RelaunchParameters(order);
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
    // The file that gets the rights is the file that was started, held
    // since (RelaunchHoldProgram): one that could not be held so was being
    // changed, and no copy is started.
    int held = RelaunchProgramFile != nullptr;
    *error = held && program && parameters ? RelaunchExecuteAnswering(&info) : ERROR_GEN_FAILURE;
    RtFree(program);
    RtFree(parameters);
    return *error == ERROR_SUCCESS ? info.hProcess : nullptr;
}

// Replays the copy's log, and answers its questions about held files as
// this process would ask about its own; the copy's result, or -1 when it
// sent none.
static int RelaunchRelay(HANDLE process, const InstallationOrder& order)
{
    if (!ChannelAccept(process))
        return -1;
    const LogSinks& log = *order.log;
    ChannelRecord record;
    while (ChannelReceive(&record)) {
        if (record.kind == ChannelLine)
            LogLine(log, record.text);
        else if (record.kind == ChannelStep)
            LogStep(log, record.number);
        else if (record.kind == ChannelQuestion)
            ChannelSendNumber(ChannelAnswer, LogAskHeld(log, order.language, record.text, record.holders));
        else if (record.kind == ChannelResult)
            return record.number;
        else
            return -1;
    }
    return -1;
}

// The copy's end, waited for with the window answering.
static DWORD RelaunchCopyEnd(HANDLE process)
{
    if (WinWaitObjects(&process, 1) != 0)
        WaitForSingleObject(process, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process, &exitCode);
    return exitCode;
}

// Said in the log: the copy ended without a result, or none could be started.
static InstallationOutcome RelaunchFailed(const InstallationOrder& order, const InstallationOutcome& outcome)
{
    RelaunchFailureText failure = RelaunchFailure(outcome);
    TempStr line = TextFormat(failure.sentence, order.language, failure.code);
    LogStep(*order.log, LogLine(*order.log, line));
    StrRewind(failure.code);
    return outcome;
}

// Without a channel no copy is started: nothing could report what it did.
// Only a refusal of the consent prompt is told as rights not given; a copy
// that could not be started for any other reason is a failure like a copy
// that ended without a result.
InstallationOutcome RelaunchInstall(const InstallationOrder& order, HWND owner)
{
    if (!ChannelCreate()) {
        ChannelClose();
        return RelaunchFailed(order, {InstallationCopyFailed, 0, 0, 0});
    }
    DWORD error = ERROR_SUCCESS;
    HANDLE process = RelaunchStart(order, owner, &error);
    if (!process) {
        ChannelClose();
        if (error == ERROR_CANCELLED)
            return {InstallationRefused, 0, 0, 0};
        return RelaunchFailed(order, {InstallationCopyFailed, 0, 0, 0});
    }
    int result = RelaunchRelay(process, order);
    // Closed first: a copy that still writes to it fails, rather than
    // waiting for a reader.
    ChannelClose();
    DWORD copyCode = RelaunchCopyEnd(process);
    CloseHandle(process);
    if (result < 0)
        return RelaunchFailed(order, {InstallationCopyFailed, 0, 1, copyCode});
    return {InstallationDone, result, 0, 0};
}

// Codes up to this are said in decimal; a crash's (0xC0000005) in hexadecimal.
constexpr unsigned RelaunchLargestDecimalCode = 0xFFFF;
constexpr int RelaunchHexDigits = 8;

static void RelaunchAppendCode(unsigned code)
{
    if (code <= RelaunchLargestDecimalCode) {
        StrFromInt((int)code, StrWorkPosition());
        return;
    }
    char hex[2 + RelaunchHexDigits + 1] = {'0', 'x'};
    for (int i = 0; i < RelaunchHexDigits; i++)
        hex[2 + i] = "0123456789ABCDEF"[(code >> (4 * (RelaunchHexDigits - 1 - i))) & 0xF];
    StrAppend(hex);
}

RelaunchFailureText RelaunchFailure(const InstallationOutcome& outcome)
{
    TempStr code = StrWorkPosition();
    StrAppend("");
    if (outcome.copyCodeKnown)
        RelaunchAppendCode(outcome.copyCode);
    StrSkipTerminator();
    return {outcome.copyCodeKnown ? TextCopyFailedCode : TextCopyFailed, code};
}
