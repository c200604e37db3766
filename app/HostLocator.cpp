#include "HostLocator.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"
#include "runtime/StrWide.h"
#include <windows.h>

static const wchar_t HostKeyUnderClassesRoot[] = L"Applications\\PureBasic.exe\\shell\\open\\command";
static const wchar_t HostKeyUnderMachine[] = L"Software\\Classes\\PureBasic.exe\\shell\\open\\command";
// A value holds at most a quoted path as long as Windows allows, a blank and
// a quoted %1; the last character of a buffer is kept for the terminator.
constexpr DWORD HostValueCapacity = RtPathCapacity + 8;
constexpr DWORD HostValueBytes = (HostValueCapacity - 1) * sizeof(wchar_t);

static wchar_t* HostValueBuffer()
{
    return (wchar_t*)RtAllocUnzeroed(HostValueCapacity * sizeof(wchar_t));
}

// The value with its environment variables expanded, in a new block; the
// value's own block is freed. Null when the result does not fit.
static wchar_t* HostExpand(wchar_t* value)
{
    wchar_t* expanded = HostValueBuffer();
    DWORD needed = expanded ? ExpandEnvironmentStringsW(value, expanded, HostValueCapacity) : 0;
    RtFree(value);
    if (needed > 0 && needed <= HostValueCapacity)
        return expanded;
    RtFree(expanded);
    return nullptr;
}

// The key's default value as text in a heap block that the caller frees, or
// null. Only string types count; an expandable string comes expanded.
static wchar_t* HostReadCommand(HKEY root, const wchar_t* subkey)
{
    HKEY key;
    if (RegOpenKeyExW(root, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return nullptr;
    wchar_t* value = HostValueBuffer();
    DWORD type = REG_NONE;
    DWORD size = HostValueBytes;
    LONG status = value ? RegQueryValueExW(key, L"", nullptr, &type, (BYTE*)value, &size) : ERROR_OUTOFMEMORY;
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || size > HostValueBytes || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        RtFree(value);
        return nullptr;
    }
    // Stored data need not end in a terminator nor hold whole characters.
    value[size / sizeof(wchar_t)] = 0;
    return type == REG_SZ ? value : HostExpand(value);
}

static void HostFolderFromKey(HKEY root, const wchar_t* subkey, char** hostFolder)
{
    wchar_t* wide = HostReadCommand(root, subkey);
    if (!wide)
        return;
    char* command = StrFromWide(wide, StrWorkPosition());
    RtFree(wide);
    StrSkipTerminator();
    char* folder = StrWorkPosition();
    HostFolderFromCommand(command, folder);
    if (StrLen(folder) > 0)
        StrAssign(hostFolder, folder);
    StrRewind(command);
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
