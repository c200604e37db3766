#include "app/window/WindowTheme.h"
#include "app/window/Installer.h"
#include "app/window/WindowColours.h"
#include "app/window/WindowFocus.h"
#include "app/window/WindowLayout.h"
#include "gui/Ctl.h"
#include "gui/Win.h"

static HBRUSH CreditBrush;
static HBRUSH ListBrush;

static void DeleteBrushes()
{
    if (CreditBrush)
        DeleteObject(CreditBrush);
    if (ListBrush)
        DeleteObject(ListBrush);
    CreditBrush = ListBrush = nullptr;
}

// A theme that changes while the window is built may have made them already.
static void TakeColours()
{
    DeleteBrushes();
    CreditBrush = CreateSolidBrush(WindowColour(PartCreditBackground));
    ListBrush = CreateSolidBrush(WindowColour(PartListBackground));
    WinSetColor(WinHandle(MainWindow), WindowColour(PartMain));
}

void WindowThemeStart()
{
    WindowColoursFollow(WindowColoursSystemHighContrast());
    TakeColours();
}

void WindowThemeEnd()
{
    DeleteBrushes();
}

// A theme that came, went or changed colours: every part takes its colours
// again, the pictures are made anew from the payload, and all is repainted.
static void FollowTheme()
{
    if (!WindowColoursFollow(WindowColoursSystemHighContrast()))
        return;
    TakeColours();
    WindowLayoutColourPanels();
    WindowLayoutShowPictures();
    RedrawWindow(WinHandle(MainWindow), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

LRESULT CALLBACK ColourCallback(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HDC context = (HDC)wParam;
    HWND control = (HWND)lParam;
    if (message == WM_CTLCOLORSTATIC && control && control == CtlHandle(CreditLine)) {
        SetBkMode(context, TRANSPARENT);
        COLORREF text = WindowColour(PartCreditText);
        if (text != CLR_INVALID)
            SetTextColor(context, text);
        return (LRESULT)CreditBrush;
    }
    if (message == WM_CTLCOLORLISTBOX && control && control == CtlHandle(LogList)) {
        SetBkMode(context, TRANSPARENT);
        SetTextColor(context, WindowColour(PartListText));
        // Some list boxes fill what lies below their lines with the
        // background colour rather than the brush.
        SetBkColor(context, WindowColour(PartListBackground));
        return (LRESULT)ListBrush;
    }
    if (!window || window != WinHandle(MainWindow))
        return WinDefault;
    if (message == WM_SYSCOLORCHANGE || message == WM_SETTINGCHANGE)
        FollowTheme();
    else if (message == WM_ACTIVATE)
        return WindowFocusFollowActivation(window, wParam);
    return WinDefault;
}
