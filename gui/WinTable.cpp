// Window service: the numbered table, the per-number classes, and the
// services that look a window up by number or change its class.
#include "WinState.h"
#include "runtime/Rt.h"

WinState Win;

static const WinRecord WinNoRecord = {};

WinClassName WinFormatClassName(int window)
{
    WinClassName name;
    wsprintfW(name.text, L"WindowClass_%ld", (long)window);
    return name;
}

const WinRecord& WinLookup(int window)
{
    if (window < 0 || window >= Win.capacity || !Win.table)
        return WinNoRecord;
    return Win.table[window];
}

void WinInit()
{
    Win = {};
    RtTableReserve((void**)&Win.table, &Win.capacity, 0, 10, sizeof(WinRecord), 2);
    Win.defaultBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    Win.classTemplate.lpfnWndProc = WinProc;
    Win.classTemplate.hInstance = RtInstance;
    Win.classTemplate.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    Win.classTemplate.hIcon = LoadIconA(RtInstance, MAKEINTRESOURCEA(1));
    Win.classTemplate.hbrBackground = Win.defaultBrush;
    Win.classTemplate.lpszClassName = L"TemplateClass";
    RegisterClassW(&Win.classTemplate);
}

void WinEnd()
{
    for (int window = Win.capacity - 1; window >= 0; window--)
        WinClose(window);
}

void WinRegisterClass(const WinClassName& name)
{
    WNDCLASSW description = Win.classTemplate;
    description.lpszClassName = name.text;
    RegisterClassW(&description);
}

HWND WinHandle(int window)
{
    return WinLookup(window).handle;
}

HWND WinUse(int window)
{
    Win.current = WinHandle(window);
    return Win.current;
}

HWND WinCurrentHandle()
{
    return Win.current;
}

void WinSetColor(HWND window, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    if (!brush)
        return;
    auto previous = (HBRUSH)SetClassLongPtrA(window, GCLP_HBRBACKGROUND, (LONG_PTR)brush);
    if (!previous)
        return;
    // The default brush stays: the other windows' classes still use it. An
    // earlier colour of this class belonged to the class alone.
    if (previous != Win.defaultBrush)
        DeleteObject(previous);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE);
}
