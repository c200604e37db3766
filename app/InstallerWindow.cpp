#include "InstallerWindow.h"
#include "Installer.h"
#include "Texts.h"
#include "WindowColours.h"
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

static void DeleteBrushes()
{
    if (CreditBrush)
        DeleteObject(CreditBrush);
    if (ListBrush)
        DeleteObject(ListBrush);
    CreditBrush = ListBrush = nullptr;
}

// A theme that changes while the window is built may have made them already.
static void CreateBrushes()
{
    DeleteBrushes();
    CreditBrush = CreateSolidBrush(WindowColour(PartCreditBackground));
    ListBrush = CreateSolidBrush(WindowColour(PartListBackground));
}

// Returns the main window's client width, which the panels span.
static int BuildMainWindow()
{
    if (!WinOpen(MainWindow, 0, 0, WinScale(543), WinScale(309), WinFlagCentre, ""))
        return 0;
    WinSetCaption(WinCurrentHandle(), 0);
    WinSetCallback(ColourCallback);
    WindowColoursFollow(WindowColoursSystemHighContrast());
    CreateBrushes();
    WinSetColor(WinHandle(MainWindow), WindowColour(PartMain));
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
static HWND OpenPanel(int window, Layout at, int mainWidth, WindowPart colour)
{
    Layout shown = Scaled(at);
    int width = at.width ? shown.width : mainWidth;
    if (!WinOpen(window, shown.x, shown.y, width, shown.height, WinFlagInvisible, ""))
        return nullptr;
    WinSetStyles(window, PanelStyle, PanelExtendedStyle);
    WinSetParent(window, MainWindow);
    WinSetColor(WinHandle(window), WindowColour(colour));
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

// A picture as the window shows it: at the display's scale and, in a
// contrast theme, in the theme's text colour on its background (the logo on
// the window colour, the cancel button's picture on the button face).
// Whoever builds a panel makes its picture here, so that every picture
// follows the theme.
static HANDLE ProducePicture(int image, const void* data, WindowPart ink, WindowPart paper)
{
    HANDLE picture = DecodeScaled(image, data);
    if (picture && WindowColoursHighContrast())
        ImgRecolour(image, WindowColour(ink), WindowColour(paper));
    return picture;
}

static HANDLE ProduceLogo()
{
    return ProducePicture(LogoImage, LogoBitmapStart, PartLogoInk, PartLogoPaper);
}

static HANDLE ProduceCancelPicture()
{
    return ProducePicture(CancelImage, ButtonBitmapStart, PartPictureInk, PartPicturePaper);
}

static void Button(int control, Layout at, const char* text)
{
    Layout shown = Scaled(at);
    CtlButton(control, shown.x, shown.y, shown.width, shown.height, text);
}

static void BuildLogoBand(int width)
{
    HWND band = OpenPanel(LogoBand, {0, 0, 0, 78}, width, PartLogoBand);
    if (!band || !CtlUseWindow(band))
        return;
    HANDLE logo = ProduceLogo();
    CtlImage(LogoPicture, 0, 0, WinInnerWidth(), WinInnerHeight(), logo, WS_EX_CLIENTEDGE);
    CtlSetName(LogoPicture, TextIn(TextLogoName, LanguageFrench));
    WinHide(LogoBand, 0);
}

// A list box shows no text of its own: Windows names it after the static
// text just before it, which would be the credit line. A label of its own,
// hidden, comes between them; Windows still takes a hidden label for the
// name (and shows it to no one). The list box's own window text would not
// do: the system's accessibility layer names a list box by its label alone.
static void NameTheLog(Layout list)
{
    CtlText(LogName, list.x, list.y, 0, 0, TextIn(TextLogName, LanguageFrench));
    ShowWindow(CtlHandle(LogName), SW_HIDE);
}

static void BuildLogPanel(int width)
{
    if (!OpenPanel(LogPanel, {0, 103, 0, 206}, width, PartLogPanel))
        return;
    if (CtlUseWindow(WinHandle(LogPanel))) {
        HFONT creditFont = LoadInstallerFont(CreditFont);
        Layout credit = Scaled({30, 215, 300, 15});
        CtlText(CreditLine, credit.x, credit.y, credit.width, credit.height, TextIn(TextCredit, LanguageFrench));
        CtlSetFont(CreditLine, creditFont);
        if (WinDpi() != WinLayoutDpi)
            GrowToText(CtlHandle(CreditLine));
        Layout list = Scaled({14, 14, 438, 201});
        NameTheLog(list);
        CtlListBox(LogList, list.x, list.y, list.width, list.height);
        HFONT listFont = LoadInstallerFont(ListFont);
        SendMessageA(CtlHandle(LogList), WM_SETFONT, (WPARAM)listFont, 1);
    }
    WinHide(LogPanel, 0);
}

static void BuildButtonPanel()
{
    HWND panel = OpenPanel(ButtonPanel, {450, 117, 50, 176}, 0, PartButtonPanel);
    if (!panel || !CtlUseWindow(panel))
        return;
    HANDLE cancelPicture = ProduceCancelPicture();
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

// The buttons in the order the steps need them.
static const int StepButtons[] = {FrenchButton, EnglishButton, InstallButton, CancelButton};

// Escape and Enter reach the program as commands of the main window, which
// is the active one: its controls are in panels, not in a dialog.
static void AddKeys()
{
    WinAddShortcut(MainWindow, VK_ESCAPE, EscapeCommand);
    WinAddShortcut(MainWindow, VK_RETURN, EnterCommand);
}

void BuildInstallerWindow()
{
    int width = BuildMainWindow();
    BuildLogoBand(width);
    BuildLogPanel(width);
    BuildButtonPanel();
    AddKeys();
    // The focus is shown as the system shows it in a dialog: once the
    // keyboard is used, or from the start when it was used last.
    SendMessageW(WinHandle(MainWindow), WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEFOCUS), 0);
    FocusUsefulButton();
}

int FocusUsefulButton()
{
    for (int button : StepButtons) {
        HWND handle = CtlHandle(button);
        if (handle && IsWindowEnabled(handle) && IsWindowVisible(handle)) {
            SetFocus(handle);
            return 1;
        }
    }
    return 0;
}

// The control that had the focus when the window lost it to a box or
// another program, given it back when the window is active again; a
// control disabled meanwhile leaves the focus to the next useful button.
static HWND FocusBeforeLeaving;

static LRESULT FollowActivation(HWND main, WPARAM wParam)
{
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        FocusBeforeLeaving = focus && IsChild(main, focus) ? focus : nullptr;
        return WinDefault;
    }
    HWND back = FocusBeforeLeaving;
    FocusBeforeLeaving = nullptr;
    if (back && IsWindow(back) && IsWindowEnabled(back) && IsWindowVisible(back)) {
        SetFocus(back);
        return 0;
    }
    return FocusUsefulButton() ? 0 : WinDefault;
}

// A theme that came, went or changed colours: every part takes its colours
// again, the logo is made anew from the payload, and all is repainted.
static void FollowTheme()
{
    if (!WindowColoursFollow(WindowColoursSystemHighContrast()))
        return;
    CreateBrushes();
    WinSetColor(WinHandle(MainWindow), WindowColour(PartMain));
    WinSetColor(WinHandle(LogoBand), WindowColour(PartLogoBand));
    WinSetColor(WinHandle(LogPanel), WindowColour(PartLogPanel));
    WinSetColor(WinHandle(ButtonPanel), WindowColour(PartButtonPanel));
    HWND logoControl = CtlHandle(LogoPicture);
    if (logoControl)
        SendMessageW(logoControl, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)ProduceLogo());
    HWND cancel = CtlHandle(CancelButton);
    if (cancel)
        SendMessageW(cancel, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)ProduceCancelPicture());
    RedrawWindow(WinHandle(MainWindow), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

// The controls still hold the images: nothing is repainted before the
// windows end.
void ReleaseInstallerWindow()
{
    DeleteBrushes();
    ImgFree(CancelImage);
    ImgFree(LogoImage);
}

// The credit line lies on the log panel's colour; the log is dark blue on
// white; in a contrast theme both take the theme's pairs. The main window
// follows the theme and keeps the focus on a control. Everything else keeps
// the window service's handling.
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
        return FollowActivation(window, wParam);
    return WinDefault;
}
