// The command line's rules, on the bytes alone, so that they can be tested
// and fuzzed without the system.
#include "app/script/CommandLine.h"

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

// A path (the folder, the log file), once. A quote ending it is what a
// backslash ending a quoted path leaves (`/D="C:\PB\"`, the backslash taken
// with the quote); no other quote can be part of a Windows path.
static void CommandSetPath(const char* path, int length, const char** field, int* fieldLength, CommandLine* result)
{
    if (length > 0 && path[length - 1] == '"')
        length--;
    for (int i = 0; i < length; i++) {
        if (path[i] == '"')
            result->understood = 0;
    }
    if (*field || length == 0)
        result->understood = 0;
    *field = path;
    *fieldLength = length;
}

static int CommandIsHexDigit(char c)
{
    c = CommandLower(c);
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// The relaunched copy's channel, once: exactly its length of hexadecimal
// digits.
static void CommandSetChannel(const char* digits, int length, CommandLine* result)
{
    int valid = length == ChannelNameLength && !result->relaunched;
    for (int i = 0; valid && i < length; i++)
        valid = CommandIsHexDigit(digits[i]);
    if (!valid)
        result->understood = 0;
    result->relaunched = digits;
}

static const char CommandFolderSwitch[] = "/d=";
static const char CommandLogSwitch[] = "/log=";

// The switches that stand alone, each setting its field once.
struct CommandFlag {
    const char* lowerSwitch;
    int CommandLine::*field;
    signed char unset;
    signed char value;
};

static const CommandFlag CommandFlags[] = {
    {"/s", &CommandLine::silent, 0, 1},
    {"/?", &CommandLine::usage, 0, 1},
    {"/l=fr", &CommandLine::language, CommandLanguageNone, 0},
    {"/l=en", &CommandLine::language, CommandLanguageNone, 1},
    {"/uninstall", &CommandLine::uninstall, 0, 1},
    {"/verify", &CommandLine::verify, 0, 1},
};

int CommandTakeArgument(const CommandArgument& argument, CommandLine* result)
{
    static const char relaunched[] = "/relaunched=";
    constexpr int relaunchedLength = sizeof relaunched - 1;
    constexpr int logLength = sizeof CommandLogSwitch - 1;
    for (const CommandFlag& flag : CommandFlags) {
        if (CommandIs(argument, flag.lowerSwitch)) {
            CommandSetOnce(&(result->*flag.field), flag.unset, flag.value, result);
            return 1;
        }
    }
    if (CommandStartsWith(argument, CommandFolderSwitch))
        CommandSetPath(argument.text + 3, argument.length - 3, &result->folder, &result->folderLength, result);
    else if (CommandStartsWith(argument, CommandLogSwitch))
        CommandSetPath(argument.text + logLength, argument.length - logLength, &result->log, &result->logLength,
                       result);
    else if (CommandStartsWith(argument, relaunched))
        CommandSetChannel(argument.text + relaunchedLength, argument.length - relaunchedLength, result);
    else
        return 0;
    return 1;
}

static int CommandIsSwitch(const CommandArgument& argument)
{
    CommandLine unused = {};
    return CommandTakeArgument(argument, &unused);
}

// An unquoted /D= or /LOG= runs on over the blanks and the arguments after
// it up to the next switch (to the end of the line when it comes last): a
// path with blanks needs no quotes. Returns whether a switch follows, in
// `following`.
static int CommandTakeUnquotedPath(const CommandArgument& argument, int switchLength, char** next,
                                   CommandArgument* following, CommandLine* result)
{
    char* start = argument.text + switchLength;
    char* end = argument.end;
    int quoted = 0;
    int more;
    while ((more = CommandSplitArgument(next, following)) && !CommandIsSwitch(*following)) {
        end = following->end;
        quoted |= following->quoted;
    }
    while (start < end && CommandIsBlank(*start))
        start++;
    if (switchLength == (int)sizeof CommandLogSwitch - 1)
        CommandSetPath(start, (int)(end - start), &result->log, &result->logLength, result);
    else
        CommandSetPath(start, (int)(end - start), &result->folder, &result->folderLength, result);
    if (quoted)
        result->understood = 0;
    return more;
}

// The switch length of an unquoted /D= or /LOG= argument; 0 for any other.
static int CommandUnquotedPathSwitch(const CommandArgument& argument)
{
    if (argument.quoted)
        return 0;
    if (CommandStartsWith(argument, CommandFolderSwitch))
        return (int)sizeof CommandFolderSwitch - 1;
    if (CommandStartsWith(argument, CommandLogSwitch))
        return (int)sizeof CommandLogSwitch - 1;
    return 0;
}

static int CommandIsWordEnd(char c)
{
    return c == 0 || c == '"' || CommandIsBlank(c);
}

// A /S standing as a word of the line, between blanks or quotes, whatever
// argument Windows' quoting puts it in: `/D="C:\PB\" /S` makes one
// argument of the folder and the /S, whose script still asked for silence.
static int CommandHoldsSilentWord(const char* line)
{
    for (int i = 0; line[i]; i++) {
        if (line[i] == '/' && CommandLower(line[i + 1]) == 's' && CommandIsWordEnd(line[i + 2])
            && (i == 0 || line[i - 1] == '"' || CommandIsBlank(line[i - 1])))
            return 1;
    }
    return 0;
}

void ParseCommandLine(char* line, CommandLine* result)
{
    *result = {};
    result->understood = 1;
    result->language = CommandLanguageNone;
    if (!line)
        return;
    char* next = CommandSkipProgramName(line);
    // Read before the splitting writes over the line.
    int silentWord = CommandHoldsSilentWord(next);
    CommandArgument argument;
    int more = CommandSplitArgument(&next, &argument);
    while (more) {
        int pathSwitch = CommandUnquotedPathSwitch(argument);
        if (pathSwitch) {
            CommandArgument following = {};
            more = CommandTakeUnquotedPath(argument, pathSwitch, &next, &following, result);
            argument = following;
            continue;
        }
        if (!CommandTakeArgument(argument, result))
            result->understood = 0;
        more = CommandSplitArgument(&next, &argument);
    }
    if (result->usage
        && (result->silent || result->language != CommandLanguageNone || result->folder || result->log
            || result->uninstall || result->verify))
        result->understood = 0;
    // A check writes nothing and never needs the copy with rights.
    if (result->uninstall && result->verify)
        result->understood = 0;
    // The relaunched copy is told everything: silent, its language, its
    // folder; its log goes to the first copy alone.
    if (result->relaunched
        && (!result->silent || result->language == CommandLanguageNone || !result->folder || result->log
            || result->verify))
        result->understood = 0;
    // A script that asked for silence never waits on a box.
    if (!result->understood && silentWord)
        result->silent = 1;
}
