#include "HeldFiles.h"
#include "Installation.h"
#include "Installer.h"
#include "Texts.h"
#include "runtime/Req.h"
#include "runtime/Str.h"

// A silent run's lines about held files, each ended by a line feed.
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
    ProgressStep();
    // Unlike the installer's other messages, its lines are not set in by
    // blanks: a program's name may make the first one wrap.
    char* text = HeldSentence(name, holders, StrWorkPosition());
    StrAppend(Text(TextHeldQuestion));
    StrSkipTerminator();
    int pressed = ReqMessage(Text(TextHeldTitle), text, MB_RETRYCANCEL | MB_ICONWARNING);
    StrRewind(text);
    return pressed == IDRETRY;
}

int AskRetryHeldFile(const char* name, const char* holders)
{
    if (!SilentRun)
        return AskInWindow(name, holders);
    KeepHeldLine(name, holders);
    return 0;
}

void LogHeldFiles()
{
    const char* next = HeldLines;
    while (next && *next) {
        int length = 0;
        while (next[length] && next[length] != '\n')
            length++;
        char* line = StrMid(next, 1, length, StrWorkPosition());
        StrSkipTerminator();
        LogLine(line);
        StrRewind(line);
        next += next[length] ? length + 1 : length;
    }
    StrFree(HeldLines);
    HeldLines = nullptr;
}
