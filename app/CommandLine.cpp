// The command line's rules, on the bytes alone, so that they can be tested
// and fuzzed without the system.
#include "CommandLine.h"

static int CommandIsBlank(char c)
{
    return c == ' ' || c == '\t';
}

static char CommandLower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c + ('a' - 'A')) : c;
}

static int CommandStartsWith(const CommandArgument& argument, const char* lowerSwitch)
{
    int i = 0;
    for (; lowerSwitch[i]; i++) {
        if (i >= argument.length || CommandLower(argument.text[i]) != lowerSwitch[i])
            return 0;
    }
    return 1;
}

static int CommandIs(const CommandArgument& argument, const char* lowerSwitch)
{
    int i = 0;
    while (lowerSwitch[i])
        i++;
    return i == argument.length && CommandStartsWith(argument, lowerSwitch);
}

char* CommandSkipProgramName(char* line)
{
    if (*line == '"') {
        line++;
        while (*line && *line != '"')
            line++;
        return *line ? line + 1 : line;
    }
    while (*line && !CommandIsBlank(*line))
        line++;
    return line;
}

// A run of quotes after `backslashes` backslashes (already copied), as
// CommandLineToArgvW reads it: an odd count makes the first quote a
// character, an even one an opening or closing quote, and either keeps half
// of the backslashes. Each third quote of a run, counting an open one, is a
// quote character and closes. Returns where the run ends.
static char* CommandTakeQuotes(char* at, char** written, int backslashes, int* quotes)
{
    *written -= backslashes / 2 + backslashes % 2;
    if (backslashes % 2)
        *(*written)++ = '"';
    else
        ++*quotes;
    for (at++; *at == '"'; at++) {
        if (++*quotes == 3) {
            *(*written)++ = '"';
            *quotes = 0;
        }
    }
    if (*quotes == 2)
        *quotes = 0;
    return at;
}

int CommandSplitArgument(char** next, CommandArgument* argument)
{
    char* at = *next;
    while (CommandIsBlank(*at))
        at++;
    if (*at == 0)
        return 0;
    *argument = {at, 0, 0, at};
    // The value is written over the text it comes from, never ahead of it.
    char* written = at;
    int quotes = 0;         // 1 inside quotes
    int backslashes = 0;    // just before `at`
    while (*at && (quotes || !CommandIsBlank(*at))) {
        if (*at == '"') {
            argument->quoted = 1;
            at = CommandTakeQuotes(at, &written, backslashes, &quotes);
            backslashes = 0;
            continue;
        }
        backslashes = *at == '\\' ? backslashes + 1 : 0;
        *written++ = *at++;
    }
    argument->length = (int)(written - argument->text);
    argument->end = at;
    *next = at;
    return 1;
}

// Sets a switch that may be given once; a second one is not understood.
static void CommandSetOnce(int* flag, int unset, int value, CommandLine* result)
{
    if (*flag != unset)
        result->understood = 0;
    *flag = value;
}

// The folder, once. A quote ending it is what a backslash ending a quoted
// folder leaves (`/D="C:\PB\"`, the backslash taken with the quote); no
// other quote can be part of a Windows path.
static void CommandSetFolder(const char* folder, int length, CommandLine* result)
{
    if (length > 0 && folder[length - 1] == '"')
        length--;
    for (int i = 0; i < length; i++) {
        if (folder[i] == '"')
            result->understood = 0;
    }
    if (result->folder || length == 0)
        result->understood = 0;
    result->folder = folder;
    result->folderLength = length;
}

int CommandTakeArgument(const CommandArgument& argument, CommandLine* result)
{
    if (CommandIs(argument, "/s"))
        CommandSetOnce(&result->silent, 0, 1, result);
    else if (CommandIs(argument, "/?"))
        CommandSetOnce(&result->usage, 0, 1, result);
    else if (CommandIs(argument, "/l=fr"))
        CommandSetOnce(&result->language, CommandLanguageNone, 0, result);
    else if (CommandIs(argument, "/l=en"))
        CommandSetOnce(&result->language, CommandLanguageNone, 1, result);
    else if (CommandStartsWith(argument, "/d="))
        CommandSetFolder(argument.text + 3, argument.length - 3, result);
    else
        return 0;
    return 1;
}

static int CommandIsSwitch(const CommandArgument& argument)
{
    CommandLine unused = {};
    return CommandTakeArgument(argument, &unused);
}

// An unquoted /D= runs on over the blanks and the arguments after it up to
// the next switch (to the end of the line when it comes last): a folder with
// blanks needs no quotes. Returns whether a switch follows, in `following`.
static int CommandTakeUnquotedFolder(const CommandArgument& argument, char** next, CommandArgument* following,
                                     CommandLine* result)
{
    char* start = argument.text + 3;
    char* end = argument.end;
    int quoted = 0;
    int more;
    while ((more = CommandSplitArgument(next, following)) && !CommandIsSwitch(*following)) {
        end = following->end;
        quoted |= following->quoted;
    }
    while (start < end && CommandIsBlank(*start))
        start++;
    CommandSetFolder(start, (int)(end - start), result);
    if (quoted)
        result->understood = 0;
    return more;
}

void ParseCommandLine(char* line, CommandLine* result)
{
    *result = {1, 0, 0, CommandLanguageNone, nullptr, 0};
    if (!line)
        return;
    char* next = CommandSkipProgramName(line);
    CommandArgument argument;
    int more = CommandSplitArgument(&next, &argument);
    while (more) {
        if (CommandStartsWith(argument, "/d=") && !argument.quoted) {
            CommandArgument following = {};
            more = CommandTakeUnquotedFolder(argument, &next, &following, result);
            argument = following;
            continue;
        }
        if (!CommandTakeArgument(argument, result))
            result->understood = 0;
        more = CommandSplitArgument(&next, &argument);
    }
    if (result->usage && (result->silent || result->language != CommandLanguageNone || result->folder))
        result->understood = 0;
}
