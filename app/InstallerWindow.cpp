#include "InstallerWindow.h"
#include "Installer.h"
#include "Texts.h"
#include "gui/Ctl.h"
#include "gui/Fnt.h"
#include "gui/Img.h"
#include "gui/Win.h"
#include "payload/Payload.h"

static HBRUSH CreditBrush;
static HBRUSH ListBrush;

constexpr int LogoBand = 1;
constexpr int ButtonPanel = 2;
constexpr int LogPanel = 3;

constexpr int LogoImage = 11;
constexpr int CancelImage = 19;

constexpr COLORREF MainColour = 0xDCB26B;
constexpr COLORREF LogoBandColour = 0xFFFFFF;
constexpr COLORREF LogPanelColour = 0xDED7CE;
constexpr COLORREF ButtonPanelColour = 0xD0C0AF;
constexpr COLORREF ListTextColour = 0x7D230E;

constexpr LONG_PTR PanelStyle = WS_CHILD | WS_CLIPCHILDREN;
constexpr LONG_PTR PanelExtendedStyle = 0x10000000;

// Returns the main window's client width, which the panels span.
static int BuildMainWindow()
{
    if (!WinOpen(MainWindow, 0, 0, 543, 309, WinFlagCentre, ""))
        return 0;
    WinSetCaption(WinCurrentHandle(), 0);
    WinSetCallback(ColourCallback);
    CreditBrush = CreateSolidBrush(LogPanelColour);
    ListBrush = CreateSolidBrush(0xFFFFFF);
    WinSetColor(WinHandle(MainWindow), MainColour);
    HWND main = WinHandle(MainWindow);
    int width = WinInnerWidth();
    // The system owns the region once it is handed over.
    SetWindowRgn(main, CreateRoundRectRgn(0, 0, 550, 339, 75, 75), TRUE);
    WinHide(MainWindow, 0);
    UpdateWindow(main);
    return width;
}

// A hidden titled window turned into a borderless child of the main window.
static HWND OpenPanel(int window, int x, int y, int width, int height, COLORREF colour)
{
    if (!WinOpen(window, x, y, width, height, WinFlagInvisible, ""))
        return nullptr;
    WinSetStyles(window, PanelStyle, PanelExtendedStyle);
    WinSetParent(window, MainWindow);
    WinSetColor(WinHandle(window), colour);
    return WinHandle(window);
}

static void BuildLogoBand(int width)
{
    HWND band = OpenPanel(LogoBand, 0, 0, width, 78, LogoBandColour);
    if (!band || !CtlUseWindow(band))
        return;
    HANDLE logo = ImgDecode(LogoImage, LogoBitmapStart);
    CtlImage(LogoPicture, 0, 0, WinInnerWidth(), WinInnerHeight(), logo, WS_EX_CLIENTEDGE);
    WinHide(LogoBand, 0);
}

static void BuildLogPanel(int width)
{
    if (!OpenPanel(LogPanel, 0, 103, width, 206, LogPanelColour))
        return;
    if (CtlUseWindow(WinHandle(LogPanel))) {
        HFONT creditFont = LoadInstallerFont(CreditFont);
        CtlText(CreditLine, 30, 215, 300, 15, Text(TextCredit));
        CtlSetFont(CreditLine, creditFont);
        CtlListBox(LogList, 14, 14, 438, 201);
        HFONT listFont = LoadInstallerFont(ListFont);
        SendMessageA(CtlHandle(LogList), WM_SETFONT, (WPARAM)listFont, 1);
    }
    WinHide(LogPanel, 0);
}

static void BuildButtonPanel()
{
    HWND panel = OpenPanel(ButtonPanel, 450, 117, 50, 176, ButtonPanelColour);
    if (!panel || !CtlUseWindow(panel))
        return;
    HANDLE cancelPicture = ImgDecode(CancelImage, ButtonBitmapStart);
    // Built before a language is chosen: in French.
    CtlButton(FrenchButton, 7, 9, 86, 31, TextIn(TextFrenchButton, LanguageFrench));
    CtlButton(EnglishButton, 7, 44, 86, 31, TextIn(TextEnglishButton, LanguageFrench));
    CtlButton(InstallButton, 7, 100, 86, 31, TextIn(TextInstallButton, LanguageFrench));
    CtlImageButton(CancelButton, 7, 161, 86, 31, cancelPicture);
    // The button draws only its picture; the text names it for screen readers.
    CtlSetText(CancelButton, TextIn(TextCancelButton, LanguageFrench));
    HFONT buttonFont = LoadInstallerFont(ButtonFont);
    static const int fontOrder[] = {FrenchButton, InstallButton, EnglishButton, CancelButton};
    for (int button : fontOrder)
        CtlSetFont(button, buttonFont);
    CtlDisable(InstallButton, 1);
    WinHide(ButtonPanel, 0);
}

void BuildInstallerWindow()
{
    int width = BuildMainWindow();
    BuildLogoBand(width);
    BuildLogPanel(width);
    BuildButtonPanel();
}

// The controls still hold the images: nothing is repainted before the
// windows end.
void ReleaseInstallerWindow()
{
    if (CreditBrush)
        DeleteObject(CreditBrush);
    if (ListBrush)
        DeleteObject(ListBrush);
    CreditBrush = ListBrush = nullptr;
    ImgFree(CancelImage);
    ImgFree(LogoImage);
}

// The credit line lies on the log panel's colour; the log is dark blue on
// white. Everything else keeps the window service's handling.
LRESULT CALLBACK ColourCallback(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    HDC context = (HDC)wParam;
    HWND control = (HWND)lParam;
    if (message == WM_CTLCOLORSTATIC && control && control == CtlHandle(CreditLine)) {
        SetBkMode(context, TRANSPARENT);
        return (LRESULT)CreditBrush;
    }
    if (message == WM_CTLCOLORLISTBOX && control && control == CtlHandle(LogList)) {
        SetBkMode(context, TRANSPARENT);
        SetTextColor(context, ListTextColour);
        return (LRESULT)ListBrush;
    }
    return WinDefault;
}
