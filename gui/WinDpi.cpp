// Window service: the scale the windows are laid out for. It starts as that
// of the monitor where centred windows open and follows the window when the
// program moves it to another scale (WinSetDpi, on WM_DPICHANGED). What only
// newer systems have is looked up when it is needed: the program still
// starts where it is missing, with the system's scale as before.
#include "Fnt.h"
#include "WinState.h"
#include "runtime/Rt.h"
#include "runtime/RtCalls.h"

// MDT_EFFECTIVE_DPI: the scale the user chose for the monitor.
constexpr int WinEffectiveDpi = 0;

// A scale outside these is no display's: from 25 % to 1000 %.
constexpr int WinLowestDpi = WinLayoutDpi / 4;
constexpr int WinHighestDpi = WinLayoutDpi * 10;

// GetDpiForMonitor (Windows 8.1, shcore.dll) answers a program that is not
// aware of each monitor's scale with the system's. 0 where it is missing.
static int WinMonitorDpi(POINT at)
{
    auto getDpiForMonitor = RtGetDpiForMonitor();
    UINT x = 0, y = 0;
    HMONITOR monitor = MonitorFromPoint(at, MONITOR_DEFAULTTOPRIMARY);
    return getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, WinEffectiveDpi, &x, &y)) ? (int)y : 0;
}

static int WinPlausibleDpi(int dpi)
{
    return dpi >= WinLowestDpi && dpi <= WinHighestDpi;
}

int WinDpi()
{
    if (Win.dpi)
        return Win.dpi;
    POINT centre = {GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
    Win.dpi = WinMonitorDpi(centre);
    // The system's, as the fonts are sized by it: the main display's when
    // the user signed in.
    if (!WinPlausibleDpi(Win.dpi))
        Win.dpi = FntScreenDpi();
    if (!WinPlausibleDpi(Win.dpi))
        Win.dpi = WinLayoutDpi;
    return Win.dpi;
}

int WinSetDpi(int dpi)
{
    if (!WinPlausibleDpi(dpi))
        return 0;
    Win.dpi = dpi;
    return 1;
}

int WinScale(int length)
{
    return MulDiv(length, WinDpi(), WinLayoutDpi);
}

// The frames are the present scale's (Windows 10 1607 and later); before,
// the system's, which is then the only one.
void WinAdjustForFrame(RECT* rect, DWORD style)
{
    auto adjustForDpi = RtAdjustWindowRectExForDpi();
    if (adjustForDpi && adjustForDpi(rect, style, FALSE, 0, (UINT)WinDpi()))
        return;
    AdjustWindowRect(rect, style, FALSE);
}
