#include "HostLocator.h"
#include "../runtime/Str.h"
#include <windows.h>

static const char HostKeyUnderClassesRoot[] = "Applications\\PureBasic.exe\\shell\\open\\command";
static const char HostKeyUnderMachine[] = "Software\\Classes\\PureBasic.exe\\shell\\open\\command";
constexpr int HostValueBufferSize = 10000;

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

static int HostIsAbsoluteFolder(const char* folder)
{
    int length = StrLen(folder);
    if (length == 0 || folder[length - 1] != '\\')
        return 0;
    char drive = HostLower(folder[0]);
    if (drive >= 'a' && drive <= 'z' && folder[1] == ':' && folder[2] == '\\')
        return 1;
    return folder[0] == '\\' && folder[1] == '\\' && length > 2;
}

void HostFolderFromCommand(const char* command, char* resultStart)
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

// Reserves a value buffer of blanks in the work buffer; null when the work
// buffer has no room left for it.
static char* HostReserveValueBuffer()
{
    char* buffer = StrWorkPosition();
    StrSpaces(HostValueBufferSize, buffer);
    if (StrLen(buffer) != HostValueBufferSize)
        return nullptr;
    StrSkipTerminator();
    return buffer;
}

// Reads the key's default value as text into the buffer and returns the
// command it holds, or null. Only string types count; an expandable string
// is returned with its environment variables expanded.
static const char* HostReadCommand(HKEY root, const char* subkey, char* value)
{
    HKEY key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return nullptr;
    DWORD type = REG_NONE;
    DWORD size = HostValueBufferSize - 1;
    LONG status = RegQueryValueExA(key, "", nullptr, &type, (BYTE*)value, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || size > HostValueBufferSize - 1)
        return nullptr;
    value[size] = 0;
    if (type == REG_SZ)
        return value;
    if (type != REG_EXPAND_SZ)
        return nullptr;
    char* expanded = HostReserveValueBuffer();
    if (!expanded)
        return nullptr;
    DWORD needed = ExpandEnvironmentStringsA(value, expanded, HostValueBufferSize);
    return needed > 0 && needed <= HostValueBufferSize ? expanded : nullptr;
}

static void HostFolderFromKey(HKEY root, const char* subkey, char** hostFolder)
{
    char* start = StrWorkPosition();
    char* value = HostReserveValueBuffer();
    const char* command = value ? HostReadCommand(root, subkey, value) : nullptr;
    if (command) {
        char* folder = StrWorkPosition();
        HostFolderFromCommand(command, folder);
        if (StrLen(folder) > 0)
            StrAssign(hostFolder, folder);
    }
    StrRewind(start);
}

char* LocateHostFolder()
{
    char* start = StrWorkPosition();
    char* hostFolder = nullptr;
    // Bits 16-23 of the version: the low byte of an NT build number.
    int classesRootFirst = (GetVersion() & 0x00FF0000) != 0;
    for (int attempt = 0; attempt < 2 && !hostFolder; attempt++) {
        if ((attempt == 0) == (classesRootFirst != 0))
            HostFolderFromKey(HKEY_CLASSES_ROOT, HostKeyUnderClassesRoot, &hostFolder);
        else
            HostFolderFromKey(HKEY_LOCAL_MACHINE, HostKeyUnderMachine, &hostFolder);
    }
    StrRewind(start);
    return hostFolder;
}
