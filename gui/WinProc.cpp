// Window service: the one window procedure of every numbered window, which
// lets the user callback go first and turns messages into events.
#include "WinState.h"

void WinSetCallback(WinCallback callback)
{
    Win.callback = callback;
}

// One small handler per message; WinProc, last, picks among them.

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
    wchar_t name[50] = {};
    GetClassNameW(window, name, 50);
    for (int i = 0; prefix[i]; i++) {
        if (name[i] != (wchar_t)prefix[i])
            return 0;
    }
    return 1;
}

static int WinHasMenuIdentifier(HWND window)
{
    return (int)GetWindowLongPtrA(window, GWLP_ID) == WinMenuIdentifier;
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
    case WM_COMMAND: return WinOnCommand(wParam, lParam);
    case WinMsgIconPosted: return WinOnIconPosted(wParam, lParam);
    case WinMsgSizePosted: return WinOnSizePosted();
    case WM_SIZE: return WinRelay(window, WinMsgSizePosted, wParam, lParam);
    case WinMsgIcon: return WinRelay(window, WinMsgIconPosted, wParam, lParam);
    case WM_CLOSE: return WinOnClose();
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
