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

// 1 when the text starts with the switch (given in lower case).
static int CommandStartsWith(const char* text, const char* lowerSwitch)
{
    for (; *lowerSwitch; text++, lowerSwitch++) {
        if (CommandLower(*text) != *lowerSwitch)
            return 0;
    }
    return 1;
}

static int CommandIsWord(const char* word, int length, const char* lowerSwitch)
{
    int i = 0;
    while (i < length && lowerSwitch[i] && CommandLower(word[i]) == lowerSwitch[i])
        i++;
    return i == length && lowerSwitch[i] == 0;
}

// Windows' rule for the program name: a quoted name runs to its closing
// quote, an unquoted one to the first blank.
static const char* CommandSkipProgramName(const char* line)
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

// Sets a switch that may be given once; a second one is not understood.
static void CommandSetOnce(int* flag, int unset, int value, CommandLine* result)
{
    if (*flag != unset)
        result->understood = 0;
    *flag = value;
}

static int CommandIsHexDigit(char c)
{
    c = CommandLower(c);
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// The relaunched copy's channel: exactly its length of hexadecimal digits.
static void CommandTakeChannel(const char* digits, int length, CommandLine* result)
{
    int valid = length == CommandChannelLength && !result->channel;
    for (int i = 0; valid && i < length; i++)
        valid = CommandIsHexDigit(digits[i]);
    if (!valid)
        result->understood = 0;
    result->channel = digits;
}

static void CommandTakeWord(const char* word, int length, CommandLine* result)
{
    static const char RelaunchedSwitch[] = "/relaunched=";
    constexpr int RelaunchedLength = sizeof RelaunchedSwitch - 1;
    if (length >= RelaunchedLength && CommandStartsWith(word, RelaunchedSwitch))
        CommandTakeChannel(word + RelaunchedLength, length - RelaunchedLength, result);
    else if (CommandIsWord(word, length, "/s"))
        CommandSetOnce(&result->silent, 0, 1, result);
    else if (CommandIsWord(word, length, "/?"))
        CommandSetOnce(&result->usage, 0, 1, result);
    else if (CommandIsWord(word, length, "/l=fr"))
        CommandSetOnce(&result->language, CommandLanguageNone, 0, result);
    else if (CommandIsWord(word, length, "/l=en"))
        CommandSetOnce(&result->language, CommandLanguageNone, 1, result);
    else
        result->understood = 0;
}

// The rest of the line, blanks at its end left out. Quotes around it are
// taken away; a quote anywhere else cannot be part of a Windows path.
static void CommandTakeFolder(const char* rest, CommandLine* result)
{
    int length = 0;
    for (int i = 0; rest[i]; i++) {
        if (!CommandIsBlank(rest[i]))
            length = i + 1;
    }
    if (length >= 2 && rest[0] == '"' && rest[length - 1] == '"') {
        rest++;
        length -= 2;
    }
    for (int i = 0; i < length; i++) {
        if (rest[i] == '"')
            result->understood = 0;
    }
    if (length == 0)
        result->understood = 0;
    result->folder = rest;
    result->folderLength = length;
}

void ParseCommandLine(const char* line, CommandLine* result)
{
    *result = {1, 0, 0, CommandLanguageNone, nullptr, 0, nullptr};
    const char* next = CommandSkipProgramName(line ? line : "");
    for (;;) {
        while (CommandIsBlank(*next))
            next++;
        if (*next == 0)
            break;
        if (CommandStartsWith(next, "/d=")) {
            CommandTakeFolder(next + 3, result);
            break;
        }
        int length = 0;
        while (next[length] && !CommandIsBlank(next[length]))
            length++;
        CommandTakeWord(next, length, result);
        next += length;
    }
    if (result->usage && (result->silent || result->language != CommandLanguageNone || result->folder))
        result->understood = 0;
    // The relaunched copy is told everything: silent, its language, its folder.
    if (result->channel && (!result->silent || result->language == CommandLanguageNone || !result->folder))
        result->understood = 0;
}
