#include "StrWide.h"
#include "Rt.h"
#include "Str.h"

wchar_t* StrToWide(const char* text)
{
    if (!text)
        return nullptr;
    int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (count <= 0)
        return nullptr;
    // count is an int, so its size in bytes cannot overflow.
    auto* wide = (wchar_t*)RtAllocUnzeroed((SIZE_T)count * sizeof(wchar_t));
    if (wide && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, count) == count)
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
