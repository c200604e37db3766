#include "Win.h"
#include "runtime/Rt.h"
#include <commctrl.h>

struct WinRecord {
    HWND handle;
    int acceleratorCount;
    ACCEL* acceleratorEntries;
    HACCEL acceleratorTable;
};

static struct {
    WinRecord* table;
    int capacity;
    WNDCLASSA classTemplate;
    HBRUSH defaultBrush;
    HWND current;
    WinCallback callback;
    int eventCode;
    int eventControl;
    int eventType;
} Win;

static const WinRecord WinNoRecord = {};

// Class names are formatted into the caller's own buffer: messages sent while
// a window is made may open another window re-entrantly.
struct WinClassName {
    char text[50];
};

static WinClassName WinFormatClassName(int window)
{
    WinClassName name;
    wsprintfA(name.text, "WindowClass_%ld", (long)window);
    return name;
}

static const WinRecord& WinLookup(int window)
{
    if (window < 0 || window >= Win.capacity || !Win.table)
        return WinNoRecord;
    return Win.table[window];
}

static HBRUSH WinCreateSolidBrush(COLORREF colour)
{
    LOGBRUSH description = {BS_SOLID, colour, 0};
    return CreateBrushIndirect(&description);
}

void WinInit()
{
    Win = {};
    RtTableReserve((void**)&Win.table, &Win.capacity, 0, 10, sizeof(WinRecord), 2);
    Win.defaultBrush = WinCreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    Win.classTemplate.lpfnWndProc = WinProc;
    Win.classTemplate.hInstance = RtInstance;
    Win.classTemplate.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    Win.classTemplate.hIcon = LoadIconA(RtInstance, MAKEINTRESOURCEA(1));
    Win.classTemplate.hbrBackground = Win.defaultBrush;
    Win.classTemplate.lpszClassName = "TemplateClass";
    RegisterClassA(&Win.classTemplate);
}

void WinEnd()
{
    for (int window = Win.capacity - 1; window >= 0; window--)
        WinClose(window);
}

static void WinRegisterClass(const WinClassName& name)
{
    WNDCLASSA description = Win.classTemplate;
    description.lpszClassName = name.text;
    RegisterClassA(&description);
}

// ---- Opening and closing

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
    AdjustWindowRect(&outer, placement.style, FALSE);
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

static void WinGiveAccelerators(WinRecord* record)
{
    auto* entries = (ACCEL*)RtAllocUnzeroed(2 * sizeof(ACCEL));
    if (!entries)
        return;
    entries[0] = {(BYTE)(FVIRTKEY | FNOINVERT), VK_TAB, WinCmdNext};
    entries[1] = {(BYTE)(FVIRTKEY | FNOINVERT | FSHIFT), VK_TAB, WinCmdPrevious};
    record->acceleratorCount = 2;
    record->acceleratorEntries = entries;
    record->acceleratorTable = CreateAcceleratorTableA(entries, 2);
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
    HWND handle = CreateWindowExA(0, name.text, title ? title : "", placement.style, placement.x, placement.y,
                                  placement.outerWidth, placement.outerHeight, nullptr, nullptr, RtInstance, nullptr);
    // The table may have grown while the window was being made.
    WinRecord* record = &Win.table[window];
    record->handle = handle;
    if (!handle)
        return nullptr;
    Win.current = handle;
    WinGiveAccelerators(record);
    return handle;
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
    UnregisterClassA(WinFormatClassName(window).text, RtInstance);
    // DestroyWindow can run code that grows the table: look the record up again.
    record = &Win.table[window];
    if (!record->acceleratorEntries)
        return;
    RtFree(record->acceleratorEntries);
    DestroyAcceleratorTable(record->acceleratorTable);
    record->acceleratorCount = 0;
    record->acceleratorEntries = nullptr;
    record->acceleratorTable = nullptr;
}

// ---- Simple services

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

int WinInnerWidth()
{
    RECT client = {};
    GetClientRect(Win.current, &client);
    return client.right - client.left;
}

int WinInnerHeight()
{
    RECT client = {};
    GetClientRect(Win.current, &client);
    int height = client.bottom - client.top;
    if (Win.current && GetMenu(Win.current))
        height += GetSystemMetrics(SM_CYMENU);
    return height;
}

BOOL WinHide(int window, int hide)
{
    HWND handle = WinHandle(window);
    if (!handle)
        return FALSE;
    return ShowWindow(handle, hide ? SW_HIDE : SW_SHOWNORMAL);
}

void WinSetColor(HWND window, COLORREF colour)
{
    HBRUSH brush = WinCreateSolidBrush(colour);
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

void WinSetCallback(WinCallback callback)
{
    Win.callback = callback;
}

int WinEventControl()
{
    return Win.eventControl;
}

int WinEventType()
{
    return Win.eventType;
}

// ---- The window procedure: one small handler per message

static void WinRecordEvent(int code, int control)
{
    Win.eventCode = code;
    Win.eventControl = control;
}

static void WinRecordEvent(int code, int control, int type)
{
    WinRecordEvent(code, control);
    Win.eventType = type;
}

static int WinClassBegins(HWND window, const char* prefix)
{
    char name[50] = {};
    GetClassNameA(window, name, sizeof name);
    for (int i = 0; prefix[i]; i++) {
        if (name[i] != prefix[i])
            return 0;
    }
    return 1;
}

static int WinHasMenuIdentifier(HWND window)
{
    return (int)GetWindowLongPtrA(window, GWLP_ID) == -10000;
}

// The event type of a click-like notification from a tree view or list view;
// -2 when the code is none of them.
static int WinViewNotificationType(UINT code)
{
    switch (code) {
    case NM_CLICK: return 0;
    case NM_DBLCLK: case LVN_ITEMACTIVATE: return 2;
    case NM_RCLICK: return 1;
    case NM_RDBLCLK: return 3;
    case TVN_SELCHANGEDA: case LVN_ITEMCHANGED: return -1;
    default: return -2;
    }
}

static LRESULT WinOnNotify(LPARAM lParam)
{
    auto* header = (const NMHDR*)lParam;
    int control = (int)header->idFrom;
    if (WinClassBegins(header->hwndFrom, "SysT") || WinClassBegins(header->hwndFrom, "SysL")) {
        int type = WinViewNotificationType(header->code);
        if (type != -2) {
            WinRecordEvent(WinEvControl, control, type);
            return 0;
        }
    }
    if (header->code == UDN_DELTAPOS)
        WinRecordEvent(WinEvControl, control, ((const NMUPDOWN*)lParam)->iDelta);
    return 0;
}

static LRESULT WinOnScroll(LPARAM lParam)
{
    WinRecordEvent(WinEvControl, (int)GetWindowLongPtrA((HWND)lParam, GWLP_ID));
    return 0;
}

static LRESULT WinOnListBoxCommand(HWND listBox, WPARAM wParam)
{
    int code = WinHasMenuIdentifier(listBox) ? WinEvMenu : WinEvControl;
    switch (HIWORD(wParam)) {
    case LBN_SELCHANGE: WinRecordEvent(code, LOWORD(wParam), 0); break;
    case LBN_DBLCLK: WinRecordEvent(code, LOWORD(wParam), 2); break;
    default: Win.eventCode = 0; break;
    }
    return 0;
}

static LRESULT WinOnMenuOrAccelerator(WPARAM wParam)
{
    if (HIWORD(wParam) == 0)
        WinRecordEvent(WinEvMenu, (int)wParam);
    else if (LOWORD(wParam) == WinCmdNext)
        WinFocusNext();
    else if (LOWORD(wParam) == WinCmdPrevious)
        WinFocusPrevious();
    else
        WinRecordEvent(WinEvMenu, LOWORD(wParam));
    return 0;
}

static LRESULT WinOnCommand(WPARAM wParam, LPARAM lParam)
{
    auto sender = (HWND)lParam;
    if (!sender)
        return WinOnMenuOrAccelerator(wParam);
    if (WinClassBegins(sender, "List"))
        return WinOnListBoxCommand(sender, wParam);
    int code = WinHasMenuIdentifier(sender) ? WinEvMenu : WinEvControl;
    WinRecordEvent(code, LOWORD(wParam), HIWORD(wParam));
    return 0;
}

static int WinIconMouseType(LPARAM mouseMessage)
{
    switch (mouseMessage) {
    case WM_LBUTTONUP: return 0;
    case WM_RBUTTONUP: return 1;
    case WM_LBUTTONDBLCLK: return 2;
    case WM_RBUTTONDBLCLK: return 3;
    default: return -1;
    }
}

static LRESULT WinOnIconPosted(WPARAM wParam, LPARAM lParam)
{
    int type = WinIconMouseType(lParam);
    if (type < 0) {
        Win.eventCode = 0;
        Win.eventControl = (int)wParam;
        return 0;
    }
    WinRecordEvent(WinEvIcon, (int)wParam, type);
    return 0;
}

// Sent messages arrive outside any message retrieval; posting them back lets
// a waiting loop see them.
static LRESULT WinRelay(HWND window, UINT postedMessage, WPARAM wParam, LPARAM lParam)
{
    PostMessageA(window, postedMessage, wParam, lParam);
    return 0;
}

static LRESULT WinOnClose()
{
    Win.eventCode = WinEvClose;
    return 0;
}

static LRESULT WinOnSizePosted()
{
    Win.eventCode = WinEvSize;
    return 0;
}

LRESULT CALLBACK WinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Win.callback) {
        LRESULT result = Win.callback(window, message, wParam, lParam);
        if (result != WinDefault)
            return result;
    }
    switch (message) {
    case WM_NOTIFY: return WinOnNotify(lParam);
    case WM_HSCROLL: case WM_VSCROLL: return WinOnScroll(lParam);
    case WM_COMMAND: return WinOnCommand(wParam, lParam);
    case WinMsgIconPosted: return WinOnIconPosted(wParam, lParam);
    case WinMsgSizePosted: return WinOnSizePosted();
    case WM_SIZE: return WinRelay(window, WinMsgSizePosted, wParam, lParam);
    case WinMsgIcon: return WinRelay(window, WinMsgIconPosted, wParam, lParam);
    case WM_CLOSE: return WinOnClose();
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// ---- Waiting and polling

static HACCEL WinActiveAcceleratorTable(HWND active)
{
    if (!active)
        return nullptr;
    for (int window = 0; window < Win.capacity; window++) {
        if (Win.table[window].handle == active)
            return Win.table[window].acceleratorTable;
    }
    return nullptr;
}

// The message is the caller's own: a callback may wait again re-entrantly.
static int WinHandleMessage(MSG* message)
{
    HWND active = GetActiveWindow();
    HACCEL table = WinActiveAcceleratorTable(active);
    if (!table || !TranslateAcceleratorA(active, table, message)) {
        TranslateMessage(message);
        DispatchMessageA(message);
    }
    int result = Win.eventCode ? Win.eventCode : (int)message->message;
    Win.eventCode = 0;
    return result;
}

int WinWaitEvent()
{
    Win.eventType = -1;
    MSG message = {};
    GetMessageA(&message, nullptr, 0, 0);
    return WinHandleMessage(&message);
}

int WinPollEvent()
{
    Win.eventType = -1;
    MSG message = {};
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        return 0;
    return WinHandleMessage(&message);
}

// ---- Tab navigation

struct WinFocusSearch {
    HWND reference;     // the focused descendant of the active window, or 0
    HWND first;
    HWND previous;      // the candidate before the one being looked at
    HWND last;
    HWND target;
    int referenceSeen;
};

static int WinIsCandidate(HWND window)
{
    return IsWindowEnabled(window) && IsWindowVisible(window) &&
           (GetWindowLongPtrA(window, GWL_STYLE) & WS_TABSTOP);
}

// Visits the candidates of the active window; 0 when there is no active window.
static int WinSearchFocus(WNDENUMPROC visit, WinFocusSearch* search)
{
    HWND active = GetActiveWindow();
    if (!active)
        return 0;
    HWND focus = GetFocus();
    if (focus && IsChild(active, focus))
        search->reference = focus;
    EnumChildWindows(active, visit, (LPARAM)search);
    return 1;
}

static BOOL CALLBACK WinFindNext(HWND window, LPARAM lParam)
{
    auto* search = (WinFocusSearch*)lParam;
    if (!WinIsCandidate(window))
        return TRUE;
    if (!search->first)
        search->first = window;
    if (!search->reference || search->referenceSeen) {
        search->target = window;
        return FALSE;
    }
    if (window == search->reference)
        search->referenceSeen = 1;
    return TRUE;
}

void WinFocusNext()
{
    WinFocusSearch search = {};
    if (!WinSearchFocus(WinFindNext, &search))
        return;
    if (search.target)
        SetFocus(search.target);
    else if (search.referenceSeen)
        SetFocus(search.first);
}

static BOOL CALLBACK WinFindPrevious(HWND window, LPARAM lParam)
{
    auto* search = (WinFocusSearch*)lParam;
    if (!WinIsCandidate(window))
        return TRUE;
    if (window == search->reference && search->previous) {
        search->target = search->previous;
        return FALSE;
    }
    search->previous = window;
    search->last = window;
    return TRUE;
}

void WinFocusPrevious()
{
    WinFocusSearch search = {};
    if (!WinSearchFocus(WinFindPrevious, &search))
        return;
    HWND target = search.target ? search.target : search.last;
    if (target)
        SetFocus(target);
}
