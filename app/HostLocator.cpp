#include "HostLocator.h"
#include "runtime/Str.h"
#include <windows.h>

static const char HostKeyUnderClassesRoot[] = "Applications\\PureBasic.exe\\shell\\open\\command";
static const char HostKeyUnderMachine[] = "Software\\Classes\\PureBasic.exe\\shell\\open\\command";
constexpr int HostValueBufferSize = 10000;

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
