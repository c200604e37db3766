#include "app/window/WindowTheme.h"
#include "app/window/Installer.h"
#include "app/window/WindowColours.h"
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

void WindowThemeFollow()
{
    if (!WindowColoursFollow(WindowColoursSystemHighContrast()))
        return;
    TakeColours();
    WindowLayoutColourPanels();
    WindowLayoutShowPictures();
    RedrawWindow(WinHandle(MainWindow), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

LRESULT WindowThemeColourText(HDC context, HWND control)
{
    if (!control || control != CtlHandle(CreditLine))
        return WinDefault;
    SetBkMode(context, TRANSPARENT);
    COLORREF text = WindowColour(PartCreditText);
    if (text != CLR_INVALID)
        SetTextColor(context, text);
    return (LRESULT)CreditBrush;
}

LRESULT WindowThemeColourList(HDC context, HWND control)
{
    if (!control || control != CtlHandle(LogList))
        return WinDefault;
    SetBkMode(context, TRANSPARENT);
    SetTextColor(context, WindowColour(PartListText));
    // Some list boxes fill what lies below their lines with the background
    // colour rather than the brush.
    SetBkColor(context, WindowColour(PartListBackground));
    return (LRESULT)ListBrush;
}
