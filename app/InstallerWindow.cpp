#include "InstallerWindow.h"
#include "Installer.h"
#include "Texts.h"
#include "gui/Ctl.h"
#include "gui/Fnt.h"
#include "gui/Img.h"
#include "gui/Win.h"
#include "payload/Payload.h"
#include "runtime/Rt.h"

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

// Lengths are laid out for a display of 96 dots per inch and scaled to the
// display's own when the window is built; what the system measures (the
// frames, the client sizes read back) is taken as it comes.
struct Layout {
    int x, y, width, height;
};

static Layout Scaled(Layout at)
{
    return {WinScale(at.x), WinScale(at.y), WinScale(at.width), WinScale(at.height)};
}

// Returns the main window's client width, which the panels span.
static int BuildMainWindow()
{
    if (!WinOpen(MainWindow, 0, 0, WinScale(543), WinScale(309), WinFlagCentre, ""))
        return 0;
    WinSetCaption(WinCurrentHandle(), 0);
    WinSetCallback(ColourCallback);
    CreditBrush = CreateSolidBrush(LogPanelColour);
    ListBrush = CreateSolidBrush(0xFFFFFF);
    WinSetColor(WinHandle(MainWindow), MainColour);
    HWND main = WinHandle(MainWindow);
    int width = WinInnerWidth();
    // The system owns the region once it is handed over.
    int corner = WinScale(75);
    SetWindowRgn(main, CreateRoundRectRgn(0, 0, WinScale(550), WinScale(339), corner, corner), TRUE);
    WinHide(MainWindow, 0);
    UpdateWindow(main);
    return width;
}

// A hidden titled window turned into a borderless child of the main window.
// Its width, when given as 0, is the main window's client width.
static HWND OpenPanel(int window, Layout at, int mainWidth, COLORREF colour)
{
    Layout shown = Scaled(at);
    int width = at.width ? shown.width : mainWidth;
    if (!WinOpen(window, shown.x, shown.y, width, shown.height, WinFlagInvisible, ""))
        return nullptr;
    WinSetStyles(window, PanelStyle, PanelExtendedStyle);
    WinSetParent(window, MainWindow);
    WinSetColor(WinHandle(window), colour);
    return WinHandle(window);
}

// A payload picture at the display's scale, stretched once here.
static HANDLE DecodeScaled(int image, const void* data)
{
    HANDLE decoded = ImgDecode(image, data);
    BITMAP size = {};
    if (!decoded || !GetObjectW(decoded, sizeof size, &size))
        return decoded;
    return ImgResize(image, WinScale(size.bmWidth), WinScale(size.bmHeight));
}

// A static text wraps what does not fit its width, and glyphs do not grow
// exactly with the display: the control grows to its text, measured with
// its own font.
static void GrowToText(HWND control)
{
    int length = GetWindowTextLengthW(control);
    auto* text = (wchar_t*)RtAlloc(((SIZE_T)length + 1) * sizeof(wchar_t));
    HDC context = GetDC(control);
    RECT shown = {};
    if (text && context && GetClientRect(control, &shown)) {
        GetWindowTextW(control, text, length + 1);
        HGDIOBJ previous = SelectObject(context, (HFONT)SendMessageW(control, WM_GETFONT, 0, 0));
        SIZE needed = {};
        GetTextExtentPoint32W(context, text, length, &needed);
        SelectObject(context, previous);
        int width = needed.cx > shown.right ? needed.cx : shown.right;
        int height = needed.cy > shown.bottom ? needed.cy : shown.bottom;
        if (width != shown.right || height != shown.bottom)
            SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (context)
        ReleaseDC(control, context);
    RtFree(text);
}

static void Button(int control, Layout at, const char* text)
{
    Layout shown = Scaled(at);
    CtlButton(control, shown.x, shown.y, shown.width, shown.height, text);
}

static void BuildLogoBand(int width)
{
    HWND band = OpenPanel(LogoBand, {0, 0, 0, 78}, width, LogoBandColour);
    if (!band || !CtlUseWindow(band))
        return;
    HANDLE logo = DecodeScaled(LogoImage, LogoBitmapStart);
    CtlImage(LogoPicture, 0, 0, WinInnerWidth(), WinInnerHeight(), logo, WS_EX_CLIENTEDGE);
    WinHide(LogoBand, 0);
}

static void BuildLogPanel(int width)
{
    if (!OpenPanel(LogPanel, {0, 103, 0, 206}, width, LogPanelColour))
        return;
    if (CtlUseWindow(WinHandle(LogPanel))) {
        HFONT creditFont = LoadInstallerFont(CreditFont);
        Layout credit = Scaled({30, 215, 300, 15});
        CtlText(CreditLine, credit.x, credit.y, credit.width, credit.height, TextIn(TextCredit, LanguageFrench));
        CtlSetFont(CreditLine, creditFont);
        if (WinDpi() != WinLayoutDpi)
            GrowToText(CtlHandle(CreditLine));
        Layout list = Scaled({14, 14, 438, 201});
        CtlListBox(LogList, list.x, list.y, list.width, list.height);
        HFONT listFont = LoadInstallerFont(ListFont);
        SendMessageA(CtlHandle(LogList), WM_SETFONT, (WPARAM)listFont, 1);
    }
    WinHide(LogPanel, 0);
}

static void BuildButtonPanel()
{
    HWND panel = OpenPanel(ButtonPanel, {450, 117, 50, 176}, 0, ButtonPanelColour);
    if (!panel || !CtlUseWindow(panel))
        return;
    HANDLE cancelPicture = DecodeScaled(CancelImage, ButtonBitmapStart);
    // Built before a language is chosen: in French.
    Button(FrenchButton, {7, 9, 86, 31}, TextIn(TextFrenchButton, LanguageFrench));
    Button(EnglishButton, {7, 44, 86, 31}, TextIn(TextEnglishButton, LanguageFrench));
    Button(InstallButton, {7, 100, 86, 31}, TextIn(TextInstallButton, LanguageFrench));
    Layout cancel = Scaled({7, 161, 86, 31});
    CtlImageButton(CancelButton, cancel.x, cancel.y, cancel.width, cancel.height, cancelPicture);
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
