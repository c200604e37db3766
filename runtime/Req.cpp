#include "Req.h"
#include "Rt.h"
#include "StrWide.h"

static BOOL CALLBACK ReqTakeFirstVisible(HWND window, LPARAM found)
{
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER))
        return TRUE;
    *(HWND*)found = window;
    return FALSE;
}

// The box is owned by one of this program's windows: the foreground window
// only when it is ours (a box owned by another program's window would
// disable that window), else this thread's active window, else its first
// visible top-level window, so the box stays modal to the installer.
static HWND ReqOwner()
{
    HWND foreground = GetForegroundWindow();
    DWORD process = 0;
    if (foreground && GetWindowThreadProcessId(foreground, &process) && process == GetCurrentProcessId())
        return foreground;
    HWND owner = GetActiveWindow();
    if (!owner)
        EnumThreadWindows(GetCurrentThreadId(), ReqTakeFirstVisible, (LPARAM)&owner);
    return owner;
}

int ReqMessage(const char* title, const char* text, UINT flags)
{
    HeapWideStr wideTitle = StrToWide(title);
    HeapWideStr wideText = StrToWide(text);
    int pressed = MessageBoxW(ReqOwner(), wideText, wideTitle, flags);
    RtFree(wideText);
    RtFree(wideTitle);
    return pressed;
}
