#include "HeldFiles.h"
#include "Channel.h"
#include "Installer.h"
#include "Texts.h"
#include "runtime/Req.h"
#include "runtime/Str.h"

// The lines about held files kept for the end of a log other than the
// window's, each ended by a line feed.
static char* HeldLines;

// "The file <name> is in use by <holders>." at the result start.
static char* HeldSentence(const char* name, const char* holders, char* resultStart)
{
    StrRewind(resultStart);
    StrAppend(Text(TextHeldStart));
    StrAppend(name);
    StrAppend(Text(TextHeldBy));
    StrAppend(StrLen(holders) > 0 ? holders : Text(TextAnotherProgram));
    StrAppend(Text(TextHeldEnd));
    return resultStart;
}

static void KeepHeldLine(const char* name, const char* holders)
{
    char* lines = StrWorkPosition();
    StrAppend(HeldLines);
    HeldSentence(name, holders, StrWorkPosition());
    StrAppend("\n");
    StrAssign(&HeldLines, lines);
}

// The log is drawn again first: it may have been held undrawn for the
// step's lines (Installation.cpp), and the box stands over it.
static int AskInWindow(const char* name, const char* holders)
{
    LogAdvance(LogToWindow, 0);
    // Unlike the installer's other messages, its lines are not set in by
    // blanks: a program's name may make the first one wrap.
    char* text = HeldSentence(name, holders, StrWorkPosition());
    StrAppend(Text(TextHeldQuestion));
    StrSkipTerminator();
    int pressed = ReqMessage(Text(TextHeldTitle), text, MB_RETRYCANCEL | MB_ICONWARNING);
    StrRewind(text);
    return pressed == IDRETRY;
}

int AskRetryHeldFile(InstallationLog log, const char* name, const char* holders)
{
    if (log == LogToWindow)
        return AskInWindow(name, holders);
    if (log == LogToFirstCopy)
        return ChannelAskRetry(name, holders);
    KeepHeldLine(name, holders);
    return 0;
}

void LogHeldFiles(InstallationLog log)
{
    const char* next = HeldLines;
    while (next && *next) {
        int length = 0;
        while (next[length] && next[length] != '\n')
            length++;
        char* line = StrMid(next, 1, length, StrWorkPosition());
        StrSkipTerminator();
        LogLine(log, line);
        StrRewind(line);
        next += next[length] ? length + 1 : length;
    }
    StrFree(HeldLines);
    HeldLines = nullptr;
}
