#include "StrWide.h"
#include "Rt.h"
#include "Str.h"

HeapWideStr StrToWide(const char* text)
{
    // No more UTF-16 units than bytes: one call converts into a block that
    // is large enough. The length is an int, so the size cannot overflow.
    int room = text ? StrLen(text) + 1 : 0;
    auto* wide = room ? (wchar_t*)RtAllocUnzeroed((SIZE_T)room * sizeof(wchar_t)) : nullptr;
    if (wide && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, room) > 0)
        return wide;
    RtFree(wide);
    return nullptr;
}

TempStr StrFromWide(const wchar_t* text, TempStr resultStart)
{
    // Converted in one call into the room the work buffer has left: a text
    // that does not fit whole fails, and leaves the empty result.
    int room = text ? StrRoom(resultStart) : 0;
    int size = room ? WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, resultStart, room, nullptr, nullptr) : 0;
    if (size <= 0)
        return StrSpaces(0, resultStart);
    StrRewind(resultStart + size - 1);
    return resultStart;
}
