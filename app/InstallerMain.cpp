// The entry point's part of a run: the command line read, then the first
// step that it asks for, in InstallerMain's order; without any of them, the
// window's run. Each step and each run returns the exit code, and
// ProgramEntry ends with it.
#include "app/ExitCodes.h"
#include "app/Program.h"
#include "app/TextBox.h"
#include "app/run/Run.h"
#include "app/script/CommandLine.h"
#include "payload/Payload.h"
#include "runtime/Req.h"
#include "runtime/Rt.h"

static unsigned AnswerUsage(const CommandLine& line)
{
    if (!line.silent)
        ReqMessage(TextInBoth(TextUsageTitle), TextInBoth(TextUsage), MB_OK | MB_ICONINFORMATION);
    return line.understood ? ExitOk : ExitNotUnderstood;
}

// A copy damaged on its way here would install damaged files without a word:
// each file's read-back compares it with these same bytes. So every item is
// checked before anything is shown or written.
static int FindsPayloadDamaged()
{
    for (const PayloadItemCheck& item : PayloadChecks) {
        if (RtCrc32(PayloadBlock + item.offset, item.size) != item.crc)
            return 1;
    }
    return 0;
}

// A silent run shows nothing, at any moment: its exit code says it all. A
// removal or a check, with a box or without, ends with the same code: a
// deployment tool reads it either way. Only the window's own run ends as
// after a message.
static unsigned RefuseDamagedCopy(const CommandLine& line)
{
    if (!line.silent)
        TextBox(TextDamagedTitle, TextDamaged, LanguageBoth, MB_OK | MB_ICONSTOP);
    return line.silent || line.uninstall || line.verify ? ExitDamaged : ExitOk;
}


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
    // In this order: /? alone, or a command line not understood, and nothing
    // else is done; a damaged copy answers /? still; the copy started for
    // rights carries /S too, and /UNINSTALL when it removes.
    if (!line.understood || line.usage)
        return AnswerUsage(line);
    if (FindsPayloadDamaged())
        return RefuseDamagedCopy(line);
    if (line.relaunched)
        return RelaunchedRun(line);
    if (line.verify)
        return VerifyRun(line);
    if (line.uninstall)
        return UninstallRun(line);
    if (line.silent)
        return ScriptRun(line);
    return WindowRun(line);
}
