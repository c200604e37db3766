#include "Ctl.h"
#include "runtime/Rt.h"
#include "runtime/StrWide.h"

// A list box takes lines, and its text selects one of them; every other
// kind has the plain behaviour.
struct CtlRecord {
    HWND handle;
    bool list;
};

struct CtlKind {
    const wchar_t* windowClass;
    DWORD style;
    DWORD extendedStyle;
    bool list;
};

// A text that cannot be converted matches no line and is not added.
static LRESULT CtlListBoxSetText(HWND control, const char* text)
{
    HeapWideStr wide = StrToWide(text);
    LRESULT line = wide ? SendMessageW(control, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)wide) : LB_ERR;
    RtFree(wide);
    return SendMessageW(control, LB_SETCURSEL, (WPARAM)line, 0);
}

static LRESULT CtlListBoxAddItem(HWND control, int position, const char* text)
{
    HeapWideStr wide = StrToWide(text);
    LRESULT line = wide ? SendMessageW(control, LB_INSERTSTRING, (WPARAM)(INT_PTR)position, (LPARAM)wide) : LB_ERR;
    RtFree(wide);
    return line;
}

static const CtlKind CtlButtonKind = {L"BUTTON", WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, 0,
                                      false};
static const CtlKind CtlTextKind = {L"STATIC", WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 0, false};
static const CtlKind CtlListBoxKind = {
    L"LISTBOX",
    WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_GROUP | WS_TABSTOP | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS |
        LBS_NOTIFY,
    WS_EX_CLIENTEDGE, true};

static struct {
    CtlRecord* table;
    int capacity;
    HWND creationWindow;
    HFONT creationFont;
    HFONT defaultFont;
} Ctl;

static const CtlRecord CtlNoRecord = {};

// The controls are the system's own button, static and list box, which need
// no common-controls start: loading comctl32 only for that was a sixth of
// the window's start-up.
void CtlInit()
{
    Ctl = {};
    RtTableReserve((void**)&Ctl.table, &Ctl.capacity, 0, 30, sizeof(CtlRecord), 2);
    Ctl.defaultFont = (HFONT)GetStockObject(ANSI_VAR_FONT);
    Ctl.creationFont = Ctl.defaultFont;
}

int CtlCapacity()
{
    return Ctl.capacity;
}

HWND CtlUseWindow(HWND window)
{
    Ctl.creationWindow = window;
    return window;
}

static const CtlRecord& CtlLookup(int control)
{
    if (control < 0 || control >= Ctl.capacity || !Ctl.table)
        return CtlNoRecord;
    return Ctl.table[control];
}

HWND CtlHandle(int control)
{
    return CtlLookup(control).handle;
}

// ---- Creation

static int CtlReserve(int control)
{
    return control >= 0 && RtTableReserve((void**)&Ctl.table, &Ctl.capacity, control, 30, sizeof(CtlRecord), 2);
}

static HWND CtlCreateWindow(int control, const wchar_t* windowClass, DWORD style, DWORD extendedStyle,
                            const char* text, int x, int y, int width, int height)
{
    HeapWideStr wide = StrToWide(text);
    HWND handle = CreateWindowExW(extendedStyle, windowClass, wide, style, x, y, width, height, Ctl.creationWindow,
                                  (HMENU)(INT_PTR)control, RtInstance, nullptr);
    RtFree(wide);
    return handle;
}

static HWND CtlCreate(int control, const CtlKind& kind, int x, int y, int width, int height, const char* text)
{
    if (!CtlReserve(control))
        return nullptr;
    HWND handle = CtlCreateWindow(control, kind.windowClass, kind.style, kind.extendedStyle, text, x, y, width, height);
    Ctl.table[control] = {handle, kind.list};
    if (handle)
        SendMessageW(handle, WM_SETFONT, (WPARAM)Ctl.creationFont, TRUE);
    return handle;
}

HWND CtlButton(int control, int x, int y, int width, int height, const char* text)
{
    return CtlCreate(control, CtlButtonKind, x, y, width, height, text);
}

HWND CtlText(int control, int x, int y, int width, int height, const char* text)
{
    return CtlCreate(control, CtlTextKind, x, y, width, height, text);
}

HWND CtlListBox(int control, int x, int y, int width, int height)
{
    return CtlCreate(control, CtlListBoxKind, x, y, width, height, nullptr);
}

static int CtlIsBitmap(HANDLE image)
{
    return GetObjectType(image) == OBJ_BITMAP;
}

// Image buttons and pictures keep the system font and leave their record as
// it was when the control cannot be made.
static HWND CtlCreatePicture(int control, const wchar_t* windowClass, DWORD style, DWORD extendedStyle, int x, int y,
                             int width, int height)
{
    if (!CtlReserve(control))
        return nullptr;
    HWND handle = CtlCreateWindow(control, windowClass, style, extendedStyle, nullptr, x, y, width, height);
    if (handle)
        Ctl.table[control] = {handle, false};
    return handle;
}

HWND CtlImageButton(int control, int x, int y, int width, int height, HANDLE image)
{
    int bitmap = CtlIsBitmap(image);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (bitmap ? BS_BITMAP : BS_ICON);
    HWND handle = CtlCreatePicture(control, L"BUTTON", style, 0, x, y, width, height);
    if (handle)
        SendMessageW(handle, BM_SETIMAGE, bitmap ? IMAGE_BITMAP : IMAGE_ICON, (LPARAM)image);
    return handle;
}

HWND CtlImage(int control, int x, int y, int width, int height, HANDLE image, DWORD extendedStyle)
{
    int bitmap = !image || CtlIsBitmap(image);
    DWORD style = WS_CHILD | WS_VISIBLE | (bitmap ? SS_BITMAP : SS_ICON);
    HWND handle = CtlCreatePicture(control, L"STATIC", style, extendedStyle, x, y, width, height);
    if (handle && image)
        SendMessageW(handle, STM_SETIMAGE, bitmap ? IMAGE_BITMAP : IMAGE_ICON, (LPARAM)image);
    return handle;
}

// ---- Services on existing controls

int CtlAddItem(int control, int position, const char* text)
{
    const CtlRecord& record = CtlLookup(control);
    if (!record.handle || !record.list)
        return 0;
    return (int)CtlListBoxAddItem(record.handle, position, text ? text : "");
}

LRESULT CtlSetText(int control, const char* text)
{
    const CtlRecord& record = CtlLookup(control);
    if (!record.handle)
        return 0;
    if (!text)
        text = "";
    if (record.list)
        return CtlListBoxSetText(record.handle, text);
    HeapWideStr wide = StrToWide(text);
    LRESULT set = SetWindowTextW(record.handle, wide);
    RtFree(wide);
    return set;
}

BOOL CtlSetName(int control, const char* name)
{
    HWND handle = CtlHandle(control);
    HeapWideStr wide = StrToWide(name ? name : "");
    BOOL set = handle && wide && DefWindowProcW(handle, WM_SETTEXT, 0, (LPARAM)wide);
    RtFree(wide);
    return set;
}

void CtlSetFont(int control, HFONT font)
{
    HFONT chosen = font == CtlDefaultFontMarker() ? Ctl.defaultFont : font;
    if (control == -1) {
        Ctl.creationFont = chosen;
        return;
    }
    HWND handle = CtlHandle(control);
    if (handle)
        SendMessageW(handle, WM_SETFONT, (WPARAM)chosen, TRUE);
}

BOOL CtlDisable(int control, int disable)
{
    HWND handle = CtlHandle(control);
    if (!handle)
        return FALSE;
    return EnableWindow(handle, disable ? FALSE : TRUE);
}
