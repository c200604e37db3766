// Takes the host folder from the command line of its shell registration.
// Kept apart from the registry reading so that it can be tested on its own.
#include "app/install/HostLocator.h"
#include "runtime/Str.h"

static int HostIsBlank(char c)
{
    return c == ' ' || c == '\t';
}

static char HostLower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c + ('a' - 'A')) : c;
}

static int HostIsExeEnd(const char* p)
{
    return p[0] == '.' && HostLower(p[1]) == 'e' && HostLower(p[2]) == 'x' && HostLower(p[3]) == 'e'
        && (p[4] == 0 || HostIsBlank(p[4]));
}

// An unquoted program path runs to the end of the first ".exe" that ends a
// word (the path itself may hold blanks), else to the first blank.
static int HostUnquotedPathLength(const char* command)
{
    for (int i = 0; command[i]; i++) {
        if (HostIsExeEnd(command + i))
            return i + 4;
    }
    int length = 0;
    while (command[length] && !HostIsBlank(command[length]))
        length++;
    return length;
}

static int HostQuotedPathLength(const char* command)
{
    int length = 0;
    while (command[1 + length] && command[1 + length] != '"')
        length++;
    return length;
}

int HostIsAbsoluteFolder(const char* folder)
{
    int length = StrLen(folder);
    if (length == 0 || folder[length - 1] != '\\')
        return 0;
    char drive = HostLower(folder[0]);
    if (drive >= 'a' && drive <= 'z' && folder[1] == ':' && folder[2] == '\\')
        return 1;
    return folder[0] == '\\' && folder[1] == '\\' && length > 2;
}

void HostFolderFromCommand(const char* command, TempStr resultStart)
{
    if (!command)
        command = "";
    if (command[0] == '"')
        StrMid(command, 2, HostQuotedPathLength(command), resultStart);
    else
        StrMid(command, 1, HostUnquotedPathLength(command), resultStart);
    StrSkipTerminator();
    StrPathPart(resultStart, resultStart);
    if (!HostIsAbsoluteFolder(resultStart))
        StrSpaces(0, resultStart);
}

