#include "app/install/WriteTest.h"
#include "app/AppHook.h"
#include "app/Texts.h"
#include "app/install/InstalledFiles.h"
#include "runtime/File.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"

// The folders under the host folder that the write test looks at, one
// after the other, each ended by its terminator (the first is the host
// itself); the examples' own folders come from their names.
static const char HostFolders[] = "\0Examples\\\0Examples\\Quillfern\\\0Residents\\\0PureLibraries\\\0"
                                  "PureLibraries\\UserLibraries\\\0Help\\";

// Digits of the test file's name: no other file there has it.
constexpr int TestNameDigits = 16;

// A folder that does not exist yet passes: it is made under one that does.
// The file, of a new name, is gone when its handle closes. Only "access
// denied" is for want of rights.
static HostWrite CanWriteIn(const char* folder)
{
    char digits[TestNameDigits + 1];
    if (!RtRandomHex(digits, TestNameDigits))
        return HostWriteFailed;
    HeapWideStr wideFolder = FileWidePath(folder);
    DWORD attributes = wideFolder ? GetFileAttributesW(wideFolder) : INVALID_FILE_ATTRIBUTES;
    RtFree(wideFolder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return HostWritable;
    TempStr path = StrJoin(folder, "QuillfernSetup-", digits);
    HeapWideStr wide = FileWidePath(path);
    StrRewind(path);
    HANDLE file = wide ? CreateFileW(wide, GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr)
                       : INVALID_HANDLE_VALUE;
    DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    RtFree(wide);
    if (file == INVALID_HANDLE_VALUE)
        return error == ERROR_ACCESS_DENIED ? HostWriteDenied : HostWriteFailed;
    CloseHandle(file);
    return HostWritable;
}

// The write test in the folder that holds `relative` under the host folder.
static HostWrite CanWriteUnder(const char* host, const char* relative)
{
    TempStr folder = StrJoin(host, relative);
    TempStr parent = StrWorkPosition();
    StrPathPart(folder, parent);
    StrSkipTerminator();
    HostWrite writable = CanWriteIn(parent);
    StrRewind(folder);
    return writable;
}

HostWrite InstallationCanWriteUnhooked(const char* host)
{
    for (const char* folder = HostFolders; folder < HostFolders + sizeof HostFolders; folder += StrLen(folder) + 1) {
        HostWrite found = CanWriteUnder(host, folder);
        if (found != HostWritable)
            return found;
    }
    for (int index = FirstExampleIndex; index < InstalledFileCount; index++) {
        HostWrite found = CanWriteUnder(host, InstallationFile(index, LanguageEnglish).path);
        if (found != HostWritable)
            return found;
    }
    return HostWritable;
}

HostWrite InstallationCanWrite(const char* host)
{
    if (AppHooks.InstallationCanWrite)
        return AppHooks.InstallationCanWrite(host);
    return InstallationCanWriteUnhooked(host);
}
