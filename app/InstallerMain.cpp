// The entry point's part of a run: the command line read, then the first
// step below that it asks for; without any of them, the window's run. Each
// step and each run returns the exit code, and ProgramEntry ends with it.
#include "app/ExitCodes.h"
#include "app/Program.h"
#include "app/Texts.h"
#include "app/run/Run.h"
#include "app/script/CommandLine.h"
#include "payload/Payload.h"
#include "runtime/Req.h"
#include "runtime/Rt.h"

// /? alone, or a command line not understood: nothing else is done.
static int AsksUsage(const CommandLine& line)
{
    return !line.understood || line.usage;
}

static unsigned AnswerUsage(const CommandLine& line)
{
    if (!line.silent)
        ReqMessage(TextInBoth(TextUsageTitle), TextInBoth(TextUsage), MB_OK | MB_ICONINFORMATION);
    return line.understood ? ExitOk : ExitNotUnderstood;
}

// A copy damaged on its way here would install damaged files without a word:
// each file's read-back compares it with these same bytes. So every item is
// checked before anything is shown or written.
static int FindsPayloadDamaged(const CommandLine&)
{
    for (const PayloadItemCheck& item : PayloadChecks) {
        if (RtCrc32(PayloadBlock + item.offset, item.size) != item.crc)
            return 1;
    }
    return 0;
}

// A silent run shows nothing, at any moment: its exit code says it all.
static unsigned RefuseDamagedCopy(const CommandLine& line)
{
    if (!line.silent)
        ReqMessage(TextInBoth(TextDamagedTitle), TextInBoth(TextDamaged), MB_OK | MB_ICONSTOP);
    return line.silent ? ExitDamaged : ExitOk;
}

static int AsksCopyRun(const CommandLine& line)
{
    return line.channel != nullptr;
}

static int AsksVerifyRun(const CommandLine& line)
{
    return line.verify;
}

static int AsksUninstallRun(const CommandLine& line)
{
    return line.uninstall;
}

static int AsksScriptRun(const CommandLine& line)
{
    return line.silent;
}

struct EntryStep {
    int (*asked)(const CommandLine& line);
    unsigned (*take)(const CommandLine& line);
};

// In this order: a damaged copy answers /? still, and the copy started for
// rights carries /S too, and /UNINSTALL when it removes.
static const EntryStep EntrySteps[] = {
    {AsksUsage, AnswerUsage},
    {FindsPayloadDamaged, RefuseDamagedCopy},
    {AsksCopyRun, CopyRun},
    {AsksVerifyRun, VerifyRun},
    {AsksUninstallRun, UninstallRun},
    {AsksScriptRun, ScriptRun},
};

// Nobody watches a silent run: the system's boxes for a drive without a
// disk, a file it cannot open or a fault would wait for a click forever.
static void SilenceSystemErrorBoxes()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}

unsigned InstallerMain()
{
    CommandLine line;
    ReadCommandLine(&line);
    if (line.silent)
        SilenceSystemErrorBoxes();
    for (const EntryStep& step : EntrySteps) {
        if (step.asked(line))
            return step.take(line);
    }
    return WindowRun(line);
}
