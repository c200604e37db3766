// Window service: opening a numbered window where its flags place it, placing
// it there again, closing it, and the changes of frame, parent and visibility
// of an open window.
#include "WinState.h"
#include "runtime/Rt.h"
#include "runtime/StrWide.h"

struct WinPlacement {
    DWORD style;
    DWORD centring;     // 0, WinFlagCentre or WinFlagCentreOnActive
    int x, y, outerWidth, outerHeight;
};

static void WinWorkOutStyle(WinPlacement* placement, DWORD flags)
{
    DWORD style = flags & ~(WinFlagCentre | WinFlagCentreOnActive);
    if (flags & WinFlagCentreOnActive)
        placement->centring = WinFlagCentreOnActive;
    else if (flags & WinFlagCentre)
        placement->centring = WinFlagCentre;
    if (style == 0 || style == WinFlagInvisible)
        style |= WS_CAPTION;
    placement->style = style ^ WS_VISIBLE;
}

static void WinCentreOnScreen(WinPlacement* placement)
{
    placement->x = GetSystemMetrics(SM_CXSCREEN) / 2 - placement->outerWidth / 2;
    placement->y = GetSystemMetrics(SM_CYSCREEN) / 2 - placement->outerHeight / 2;
}

static void WinCentreOnActive(WinPlacement* placement)
{
    RECT active;
    HWND activeWindow = GetActiveWindow();
    if (!activeWindow || !GetWindowRect(activeWindow, &active)) {
        WinCentreOnScreen(placement);
        return;
    }
    int x = active.left - placement->outerWidth / 2 + (active.right - active.left) / 2;
    int y = active.top - placement->outerHeight / 2 + (active.bottom - active.top) / 2;
    placement->x = x < 0 ? 0 : x;
    placement->y = y < 0 ? 0 : y;
}

static WinPlacement WinPlace(int x, int y, int width, int height, DWORD flags)
{
    WinPlacement placement = {};
    WinWorkOutStyle(&placement, flags);
    RECT outer = {x, y, x + width, y + height};
    WinAdjustForFrame(&outer, placement.style);
    placement.x = outer.left;
    placement.y = outer.top;
    placement.outerWidth = outer.right - outer.left;
    placement.outerHeight = outer.bottom - outer.top;
    if (placement.centring == WinFlagCentreOnActive)
        WinCentreOnActive(&placement);
    else if (placement.centring == WinFlagCentre)
        WinCentreOnScreen(&placement);
    else {
        placement.x = x;
        placement.y = y;
    }
    return placement;
}

HWND WinOpen(int window, int x, int y, int width, int height, DWORD flags, const char* title)
{
    if (window < 0)
        return nullptr;
    if (!RtTableReserve((void**)&Win.table, &Win.capacity, window, 10, sizeof(WinRecord), 2))
        return nullptr;
    WinClose(window);
    WinClassName name = WinFormatClassName(window);
    WinRegisterClass(name);
    WinPlacement placement = WinPlace(x, y, width, height, flags);
    wchar_t* wideTitle = StrToWide(title);
    HWND handle = CreateWindowExW(0, name.text, wideTitle, placement.style, placement.x, placement.y,
                                  placement.outerWidth, placement.outerHeight, nullptr, nullptr, RtInstance, nullptr);
    RtFree(wideTitle);
    // The table may have grown while the window was being made.
    WinRecord* record = &Win.table[window];
    record->handle = handle;
    if (!handle)
        return nullptr;
    Win.current = handle;
    WinGiveAccelerators(record);
    return handle;
}

// A panel, once titled, is borderless now: its size is still that of the
// titled window it was opened as.
void WinPlaceAgain(int window, int x, int y, int width, int height, DWORD flags)
{
    HWND handle = WinLookup(window).handle;
    if (!handle)
        return;
    WinPlacement placement = WinPlace(x, y, width, height, flags);
    SetWindowPos(handle, nullptr, placement.x, placement.y, placement.outerWidth, placement.outerHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinClose(int window)
{
    if (!WinLookup(window).handle)
        return;
    WinRecord* record = &Win.table[window];
    HWND handle = record->handle;
    record->handle = nullptr;
    // Unregistering a class deletes its background brush; the default brush
    // is shared by every other class and must survive.
    if ((HBRUSH)GetClassLongPtrA(handle, GCLP_HBRBACKGROUND) == Win.defaultBrush)
        SetClassLongPtrA(handle, GCLP_HBRBACKGROUND, 0);
    DestroyWindow(handle);
    UnregisterClassW(WinFormatClassName(window).text, RtInstance);
    // DestroyWindow can run code that grows the table: look the record up again.
    WinDropAccelerators(&Win.table[window]);
}

// ---- An open window's size, frame, parent and visibility

// The program's windows have no menu bar, which would count here too.
static RECT WinClient()
{
    RECT client = {};
    GetClientRect(Win.current, &client);
    return client;
}

int WinInnerWidth()
{
    return WinClient().right;
}

int WinInnerHeight()
{
    return WinClient().bottom;
}

BOOL WinHide(int window, int hide)
{
    HWND handle = WinHandle(window);
    if (!handle)
        return FALSE;
    return ShowWindow(handle, hide ? SW_HIDE : SW_SHOWNORMAL);
}

void WinSetCaption(HWND window, int present)
{
    LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    style = present ? (style | WS_CAPTION) : (style & ~(LONG_PTR)WS_CAPTION);
    SetWindowLongPtrA(window, GWL_STYLE, style);
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

int WinSetStyles(int window, LONG_PTR style, LONG_PTR extendedStyle)
{
    HWND handle = WinHandle(window);
    if (!handle)
        return 0;
    SetWindowLongPtrA(handle, GWL_STYLE, style);
    SetWindowLongPtrA(handle, GWL_EXSTYLE, extendedStyle);
    SetWindowPos(handle, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
    return 1;
}

int WinSetParent(int window, int parentWindow)
{
    HWND handle = WinHandle(window);
    HWND parent = WinHandle(parentWindow);
    if (!handle || !parent)
        return 0;
    SetParent(handle, parent);
    return 1;
}
