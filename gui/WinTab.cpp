// Window service: Tab and Shift+Tab between the controls of the active
// window, through the accelerator table every numbered window owns, and the
// program's own keys added to that table.
#include "WinState.h"
#include "runtime/Rt.h"

void WinDropAccelerators(WinRecord* record)
{
    if (!record->acceleratorEntries)
        return;
    RtFree(record->acceleratorEntries);
    DestroyAcceleratorTable(record->acceleratorTable);
    record->acceleratorCount = 0;
    record->acceleratorEntries = nullptr;
    record->acceleratorTable = nullptr;
}

// The record's entries and those added, in a new table that replaces its
// own; 0, the record as it was, when memory or the table cannot be had.
static int WinAppendAccelerators(WinRecord* record, const ACCEL* added, int addedCount)
{
    int kept = record->acceleratorCount;
    int count = kept + addedCount;
    auto* entries = (ACCEL*)RtAllocUnzeroed((SIZE_T)count * sizeof(ACCEL));
    if (!entries)
        return 0;
    for (int i = 0; i < count; i++)
        entries[i] = i < kept ? record->acceleratorEntries[i] : added[i - kept];
    HACCEL table = CreateAcceleratorTableA(entries, count);
    if (!table) {
        RtFree(entries);
        return 0;
    }
    WinDropAccelerators(record);
    record->acceleratorCount = count;
    record->acceleratorEntries = entries;
    record->acceleratorTable = table;
    return 1;
}

void WinGiveAccelerators(WinRecord* record)
{
    static const ACCEL tab[] = {
        {FVIRTKEY | FNOINVERT, VK_TAB, WinCmdNext},
        {FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, WinCmdPrevious},
    };
    WinAppendAccelerators(record, tab, 2);
}

int WinAddShortcut(int window, WORD virtualKey, WORD command)
{
    if (!WinLookup(window).handle)
        return 0;
    const ACCEL shortcut = {FVIRTKEY | FNOINVERT, virtualKey, command};
    return WinAppendAccelerators(&Win.table[window], &shortcut, 1);
}

struct WinFocusSearch {
    HWND active;        // a top-level window: the root of every candidate
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

// Focus moved by the keyboard is shown: a window may hide the focus until
// then (as dialogs do for a user of the mouse).
static void WinFocusByKeyboard(const WinFocusSearch& search, HWND target)
{
    SetFocus(target);
    SendMessageW(search.active, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

// Visits the candidates of the active window; 0 when there is no active window.
static int WinSearchFocus(WNDENUMPROC visit, WinFocusSearch* search)
{
    HWND active = GetActiveWindow();
    if (!active)
        return 0;
    search->active = active;
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
        WinFocusByKeyboard(search, search.target);
    else if (search.referenceSeen)
        WinFocusByKeyboard(search, search.first);
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
        WinFocusByKeyboard(search, target);
}
