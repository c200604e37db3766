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
    // The flag is WS_VISIBLE's bit: flipped, it asks for a visible window
    // when absent.
    placement->style = style ^ WinFlagInvisible;
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

// The window of the number made with its own class, where the placement
// puts it; the number's earlier window closed first.
static HWND WinCreate(int window, const WinPlacement& placement, DWORD style, DWORD extendedStyle, HWND parent,
                      const char* title)
{
    if (window < 0)
        return nullptr;
    if (!RtTableReserve((void**)&Win.table, &Win.capacity, window, 10, sizeof(WinRecord), 2))
        return nullptr;
    WinClose(window);
    WinClassName name = WinFormatClassName(window);
    WinRegisterClass(name);
    HeapWideStr wideTitle = StrToWide(title);
    HWND handle = CreateWindowExW(extendedStyle, name.text, wideTitle, style, placement.x, placement.y,
                                  placement.outerWidth, placement.outerHeight, parent, nullptr, RtInstance, nullptr);
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

HWND WinOpen(int window, int x, int y, int width, int height, DWORD flags, const char* title)
{
    WinPlacement placement = WinPlace(x, y, width, height, flags);
    return WinCreate(window, placement, placement.style, 0, nullptr, title);
}

// Made as a child at once: a titled window turned into one afterwards would
// cost a top-level window's making and unmaking (Wine makes an X window for
// it). A child goes below its siblings when made, and to the top of them
// when it is given a parent: it is raised, as a panel given its parent is.
HWND WinOpenChild(int window, int parentWindow, int x, int y, int width, int height, DWORD style,
                  DWORD extendedStyle)
{
    HWND parent = WinHandle(parentWindow);
    if (!parent)
        return nullptr;
    HWND handle = WinCreate(window, WinPlace(x, y, width, height, WinFlagInvisible), style & ~WS_VISIBLE,
                            extendedStyle, parent, "");
    if (handle)
        SetWindowPos(handle, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    return handle;
}

// A panel is borderless, but sized as the titled window its flags describe
// (WinOpenChild).
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
