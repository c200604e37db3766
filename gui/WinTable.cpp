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

// The program's icon resource, as its .rc file numbers it.
constexpr WORD WinIconResource = 1;

// The program's icon, square, as wide as a system metric says (0: the
// default size); shared: the system keeps it for the process's lifetime.
static HICON WinLoadIcon(int widthMetric)
{
    int width = widthMetric ? GetSystemMetrics(widthMetric) : 0;
    UINT size = widthMetric ? 0 : LR_DEFAULTSIZE;
    return (HICON)LoadImageW(RtInstance, MAKEINTRESOURCEW(WinIconResource), IMAGE_ICON, width, width,
                             size | LR_SHARED);
}

void WinInit()
{
    Win = {};
    RtTableReserve((void**)&Win.table, &Win.capacity, 0, 10, sizeof(WinRecord), 2);
    Win.defaultBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    Win.classTemplate.cbSize = sizeof(WNDCLASSEXW);
    Win.classTemplate.lpfnWndProc = WinProc;
    Win.classTemplate.hInstance = RtInstance;
    Win.classTemplate.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    Win.classTemplate.hIcon = WinLoadIcon(0);
    // Left empty, the small icon would be made again from the resource at
    // every class's registration (about 1.5 ms each under Wine).
    Win.classTemplate.hIconSm = WinLoadIcon(SM_CXSMICON);
    Win.classTemplate.hbrBackground = Win.defaultBrush;
    Win.classTemplate.lpszClassName = L"TemplateClass";
    RegisterClassExW(&Win.classTemplate);
}

void WinEnd()
{
    for (int window = Win.capacity - 1; window >= 0; window--)
        WinClose(window);
}

void WinRegisterClass(const WinClassName& name)
{
    WNDCLASSEXW description = Win.classTemplate;
    description.lpszClassName = name.text;
    RegisterClassExW(&description);
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
