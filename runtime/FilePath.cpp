// File service: the wide paths the system is given for the program's UTF-8
// names, long ones included.
#include "File.h"
#include "Rt.h"
#include "StrWide.h"

// Below this length every function takes the plain form of a path (folders
// allow MAX_PATH less 12); from it on, only the long form "\\?\" is safe.
constexpr DWORD FileShortPathLimit = MAX_PATH - 12;
// The room the full path leaves in front of itself for the prefix.
constexpr DWORD FilePrefixRoom = 6;
static const wchar_t FileLongPrefix[] = L"\\\\?\\UNC";

// Moves the full path, written FilePrefixRoom characters into the block, to
// the block's start; a long one gets "\\?\" before its drive, or "\\?\UNC" in
// place of the first backslash of a share. Device and long forms stay as
// they are. Copying forward is safe: the text only moves towards the start.
static void FileMoveToStart(wchar_t* block, DWORD length)
{
    const wchar_t* full = block + FilePrefixRoom;
    DWORD prefix = 0;
    if (length >= FileShortPathLimit && full[1] == L':')
        prefix = 4;
    else if (length >= FileShortPathLimit && full[0] == L'\\' && full[1] == L'\\' && full[2] != L'?'
             && full[2] != L'.') {
        prefix = 7;
        full++;
        length--;
    }
    for (DWORD i = 0; i < prefix; i++)
        block[i] = FileLongPrefix[i];
    for (DWORD i = 0; i <= length; i++)
        block[prefix + i] = full[i];
}

HeapWideStr FileWidePath(const char* name)
{
    HeapWideStr given = StrToWide(name);
    // Room for the longest path the system takes, so that one call does;
    // a longer one gives the size it would need, and is refused.
    auto* block = given ? (wchar_t*)RtAllocUnzeroed((RtPathCapacity + FilePrefixRoom) * sizeof(wchar_t)) : nullptr;
    DWORD length = block ? GetFullPathNameW(given, RtPathCapacity, block + FilePrefixRoom, nullptr) : 0;
    RtFree(given);
    // With its prefix, no longer than Windows takes: Wine cuts the length of
    // a longer one to 16 bits, and so names another path.
    if (length == 0 || length + FilePrefixRoom >= RtPathCapacity) {
        RtFree(block);
        return nullptr;
    }
    FileMoveToStart(block, length);
    return block;
}


int FileIsOnNetwork(const char* name)
{
    // "\\?\C:\" and "\\.\C:\" are the long and device forms of a drive.
    int prefixed = name[0] == '\\' && name[1] == '\\';
    if (prefixed && (name[2] == '?' || name[2] == '.') && name[3] == '\\' && name[4] && name[5] == ':')
        name += 4;
    else if (prefixed)
        return 1;
    if (!name[0] || name[1] != ':')
        return 0;
    const wchar_t root[] = {(wchar_t)(unsigned char)name[0], L':', L'\\', 0};
    return GetDriveTypeW(root) == DRIVE_REMOTE;
}
