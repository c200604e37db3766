// The installer window as a whole: the main window, its parts built from the
// layout's table, and the whole built again at a new scale. The concerns
// have files of their own: WindowLayout.cpp (panels and controls),
// WindowPictures.cpp (pictures), WindowTheme.cpp (brushes, colours, the
// contrast theme), WindowFocus.cpp (keys and focus); the messages reach
// them through InstallerCallback.
#include "app/window/InstallerWindow.h"
#include "app/AppHook.h"
#include "app/window/Installer.h"
#include "app/window/WindowLayout.h"
#include "app/window/WindowPictures.h"
#include "app/window/WindowFocus.h"
#include "app/window/WindowTheme.h"
#include "gui/Win.h"

// The main window's client area before its caption goes, and its rounded
// outline, at 96 dots per inch.
constexpr int MainWidth = 543;
constexpr int MainHeight = 309;
constexpr int OutlineWidth = 550;
constexpr int OutlineHeight = 339;
constexpr int OutlineCorner = 75;

// The system owns the region once it is handed over, and deletes the one it
// held before.
static void SetOutline(HWND main)
{
    int corner = WinScale(OutlineCorner);
    SetWindowRgn(main, CreateRoundRectRgn(0, 0, WinScale(OutlineWidth), WinScale(OutlineHeight), corner, corner),
                 TRUE);
}

static int ClientWidth(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return client.right - client.left;
}

static LRESULT CALLBACK InstallerCallback(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Returns the main window's client width, which the panels span. The
// window is placed as a titled one and shown once it has lost its caption
// and taken its outline: no one sees the titled window.
static int BuildMainWindow()
{
    if (!WinOpen(MainWindow, 0, 0, WinScale(MainWidth), WinScale(MainHeight), WinFlagCentre | WinFlagInvisible, ""))
        return 0;
    WinSetCaption(WinCurrentHandle(), 0);
    WinSetCallback(InstallerCallback);
    WindowThemeStart();
    HWND main = WinHandle(MainWindow);
    int width = WinInnerWidth();
    SetOutline(main);
    WinHide(MainWindow, 0);
    RedrawWindow(main, nullptr, nullptr, RDW_UPDATENOW);
    return width;
}

void BuildInstallerWindowUnhooked()
{
    WindowLayoutBuild(BuildMainWindow());
    WindowFocusStart();
}

void BuildInstallerWindow()
{
    if (AppHooks.BuildInstallerWindow)
        return AppHooks.BuildInstallerWindow();
    BuildInstallerWindowUnhooked();
}

// The pictures go first, before anything that could paint: each control
// holds its old picture, freed, until it is handed the new one.
static void RebuildAtScale(const RECT& suggested)
{
    WindowLayoutShowPictures();
    HWND main = WinHandle(MainWindow);
    SetWindowPos(main, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    SetOutline(main);
    WindowLayoutPlace(ClientWidth(main));
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Windows moved the window to a monitor of another scale, or the user
// changed the scale: the window takes the rectangle Windows suggests and is
// built again as a fresh start at that scale builds it. The scale is the
// message's: functions that ask for a window's scale may still answer with
// the old one while it is handled.
static LRESULT OnScaleChange(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (window != WinHandle(MainWindow) || !lParam)
        return WinDefault;
    if (WinSetDpi(HIWORD(wParam)))
        RebuildAtScale(*(const RECT*)lParam);
    return 0;
}

// The messages of the other windows keep the window service's handling.
static int IsMain(HWND window)
{
    return window && window == WinHandle(MainWindow);
}

static LRESULT OnThemeChange(HWND window)
{
    if (IsMain(window))
        WindowThemeFollow();
    return WinDefault;
}

static LRESULT OnActivation(HWND window, WPARAM wParam)
{
    return IsMain(window) ? WindowFocusFollowActivation(window, wParam) : WinDefault;
}

// The installer's user callback (gui/Win): one handler per message; every
// other message keeps the window service's handling.
static LRESULT CALLBACK InstallerCallback(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORSTATIC: return WindowThemeColourText((HDC)wParam, (HWND)lParam);
    case WM_CTLCOLORLISTBOX: return WindowThemeColourList((HDC)wParam, (HWND)lParam);
    case WM_SYSCOLORCHANGE: return OnThemeChange(window);
    case WM_SETTINGCHANGE: return OnThemeChange(window);
    case WM_ACTIVATE: return OnActivation(window, wParam);
    case WM_DPICHANGED: return OnScaleChange(window, wParam, lParam);
    default: return WinDefault;
    }
}

// The controls still hold the pictures: nothing is repainted before the
// windows end.
void ReleaseInstallerWindow()
{
    WindowThemeEnd();
    WindowPicturesFree();
}
