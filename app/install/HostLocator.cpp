#include "app/install/HostLocator.h"
#include "runtime/File.h"
#include "runtime/Rt.h"
#include "runtime/ScopedHandle.h"
#include "runtime/Str.h"
#include "runtime/StrWide.h"
#include "runtime/Tree.h"
#include <windows.h>

static const wchar_t HostKeyUnderClassesRoot[] = L"Applications\\PureBasic.exe\\shell\\open\\command";
static const wchar_t HostKeyUnderMachine[] = L"Software\\Classes\\PureBasic.exe\\shell\\open\\command";
// The file that makes a folder a PureBasic folder.
// A value holds at most a quoted path as long as Windows allows, a blank and
// a quoted %1; the last character of a buffer is kept for the terminator.
constexpr DWORD HostValueCapacity = RtPathCapacity + 8;
constexpr DWORD HostValueBytes = (HostValueCapacity - 1) * sizeof(wchar_t);

static HeapWideStr HostValueBuffer()
{
    return (wchar_t*)RtAllocUnzeroed(HostValueCapacity * sizeof(wchar_t));
}

// The value with its environment variables expanded, in a new block; the
// value's own block is freed. Null when the result does not fit.
static HeapWideStr HostExpand(HeapWideStr value)
{
    HeapWideStr expanded = HostValueBuffer();
    DWORD needed = expanded ? ExpandEnvironmentStringsW(value, expanded, HostValueCapacity) : 0;
    RtFree(value);
    if (needed > 0 && needed <= HostValueCapacity)
        return expanded;
    RtFree(expanded);
    return nullptr;
}

// The key's default value as text in a heap block that the caller frees, or
// null. Only string types count; an expandable string comes expanded.
static HeapWideStr HostReadCommand(HKEY root, const wchar_t* subkey)
{
    HKEY key;
    if (RegOpenKeyExW(root, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return nullptr;
    HeapWideStr value = HostValueBuffer();
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

// The folder that one registration names, as a new string; null when it
// names none.
static HeapStr HostRegistration(int underClassesRoot)
{
    HeapWideStr wide = underClassesRoot ? HostReadCommand(HKEY_CLASSES_ROOT, HostKeyUnderClassesRoot)
                                     : HostReadCommand(HKEY_LOCAL_MACHINE, HostKeyUnderMachine);
    if (!wide)
        return nullptr;
    TempStr command = StrFromWide(wide, StrWorkPosition());
    RtFree(wide);
    StrSkipTerminator();
    TempStr folder = StrWorkPosition();
    HostFolderFromCommand(command, folder);
    HeapStr named = nullptr;
    if (StrLen(folder) > 0)
        StrAssign(&named, folder);
    StrRewind(command);
    return named;
}

// Only a registration that names a PureBasic folder counts; the folder is
// freed otherwise.
static HeapStr HostKeepPureBasicFolder(HeapStr folder, int mustHoldPureBasic, TreeReach reach)
{
    if (folder && mustHoldPureBasic && !IsPureBasicFolder(folder, reach)) {
        StrFree(folder);
        return nullptr;
    }
    return folder;
}

// Two registrations are read, the one the system's version prefers first.
static HeapStr HostFirstRegistration(int mustHoldPureBasic, TreeReach reach)
{
    // Bits 16-23 of the version: the low byte of an NT build number.
    int classesRootFirst = (GetVersion() & 0x00FF0000) != 0;
    HeapStr folder = HostKeepPureBasicFolder(HostRegistration(classesRootFirst), mustHoldPureBasic, reach);
    if (!folder)
        folder = HostKeepPureBasicFolder(HostRegistration(!classesRootFirst), mustHoldPureBasic, reach);
    return folder;
}

HeapStr RegisteredHostFolder()
{
    return HostFirstRegistration(0, TreeReachByPath);
}

HeapStr LocateHostFolder(TreeReach reach)
{
    return HostFirstRegistration(1, reach);
}

// With rights the folder is looked into as the installation will reach it:
// one name at a time, never through a link to another machine, which a look
// by its path would connect to with the administrator's credentials. Such a
// folder is taken as it was named, unchecked: the installation then reports
// each file as not written through that link.
int IsPureBasicFolder(const char* folder, TreeReach reach)
{
    if (!folder || !HostIsAbsoluteFolder(folder))
        return 0;
    if (reach == TreeReachByPath) {
        TempStr start = StrJoin(folder, HostProgramName);
        int found = FileExists(start);
        StrRewind(start);
        return found;
    }
    ScopedHandle opened;
    int linkEnd = 0;
    TreeMiss miss = TreeOpenFolder(folder, reach, opened.Receive(), &linkEnd);
    if (miss != TreeMissNone)
        return miss == TreeMissRemote;
    TreeFileFound program = TreeFileState(opened.handle, HostProgramName, 1);
    return program == TreeFilePlain || program == TreeFileReadOnly;
}

HeapStr HostFolderFromPath(const char* path)
{
    TempStr start = StrWorkPosition();
    StrAppend(path);
    int length = StrLen(start);
    if (length > 0 && start[length - 1] != '\\')
        StrAppend("\\");
    HeapStr folder = nullptr;
    StrAssign(&folder, start);
    return folder;
}
