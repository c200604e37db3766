#include "GuiTestSupport.h"
#include "support/RealInput.h"
#include "gui/Win.h"

static bool MessageWaiting()
{
    MSG message;
    // Also delivers sent messages, which would not wake GetMessage.
    return PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

int NextWaitEvent(DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (MessageWaiting())
            return WinWaitEvent();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return -1;
}

bool WaitForEvent(int code, std::vector<int>* seen, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        int result = NextWaitEvent(timeoutMs);
        if (result == -1)
            return false;
        if (seen)
            seen->push_back(result);
        if (result == code)
            return true;
    }
    return false;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        if (!WinPollEvent())
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

void DrainEvents()
{
    DWORD start = GetTickCount();
    while (WinPollEvent() && GetTickCount() - start < GuiDeadlineMs) {
    }
}

bool Activate(HWND window)
{
    SetForegroundWindow(window);
    SetActiveWindow(window);
    return PumpUntil([&] { return GetActiveWindow() == window && GetForegroundWindow() == window; });
}

void PostClick(HWND window, int x, int y)
{
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void PostDoubleClick(HWND window, int x, int y)
{
    PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void RealClick(HWND window)
{
    RECT outer;
    GetWindowRect(window, &outer);
    ClickWithMouseAt({(outer.left + outer.right) / 2, (outer.top + outer.bottom) / 2});
}

COLORREF ClientPixel(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

SIZE ClientSize(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

SIZE OuterSize(HWND window)
{
    RECT outer = {};
    GetWindowRect(window, &outer);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

void GuiTest::TearDown()
{
    WinSetCallback(nullptr);
    WinEnd();
    DrainEvents();
}
