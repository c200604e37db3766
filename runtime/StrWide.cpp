#include "StrWide.h"
#include "Rt.h"
#include "Str.h"

wchar_t* StrToWide(const char* text)
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

char* StrFromWide(const wchar_t* text, char* resultStart)
{
    int size = text ? WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, nullptr, 0, nullptr, nullptr) : 0;
    // Blanks stop where the work buffer ends: where they all fit, the text does.
    StrSpaces(size - 1, resultStart);
    if (size > 0 && StrLen(resultStart) == size - 1
        && WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text, -1, resultStart, size, nullptr, nullptr) == size)
        return resultStart;
    return StrSpaces(0, resultStart);
}
