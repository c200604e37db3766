#include "app/window/InstallerWindow.h"
#include "app/Texts.h"
#include "app/window/Installer.h"
#include "app/window/WindowColours.h"
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
// window's scale whenever the window is built; what the system measures (the
// frames, the client sizes read back) is taken as it comes.
struct Layout {
    int x, y, width, height;
};

static Layout Scaled(Layout at)
{
    return {WinScale(at.x), WinScale(at.y), WinScale(at.width), WinScale(at.height)};
}

// The main window's client area before its caption goes, and its rounded outline.
constexpr int MainWidth = 543;
constexpr int MainHeight = 309;
constexpr int OutlineWidth = 550;
constexpr int OutlineHeight = 339;
constexpr int OutlineCorner = 75;

// Panels, each reaching the main window's right edge, and controls.
constexpr Layout LogoBandAt = {0, 0, 0, 78};
constexpr Layout LogPanelAt = {0, 103, 0, 206};
constexpr Layout ButtonPanelAt = {450, 117, 0, 176};
constexpr Layout CreditAt = {30, 215, 300, 15};
constexpr Layout ListAt = {14, 14, 438, 201};
constexpr Layout FrenchAt = {7, 9, 86, 31};
constexpr Layout EnglishAt = {7, 44, 86, 31};
constexpr Layout InstallAt = {7, 100, 86, 31};
constexpr Layout CancelAt = {7, 161, 86, 31};

struct InstallerFonts {
    HFONT credit, list, button;
};

struct InstallerPictures {
    HANDLE logo, cancel;
};

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
    if (!WinOpen(MainWindow, 0, 0, WinScale(MainWidth), WinScale(MainHeight), WinFlagCentre, ""))
        return 0;
    WinSetCaption(WinCurrentHandle(), 0);
    WinSetCallback(InstallerCallback);
    WindowColoursFollow(WindowColoursSystemHighContrast());
    CreateBrushes();
    WinSetColor(WinHandle(MainWindow), WindowColour(PartMain));
    HWND main = WinHandle(MainWindow);
    int width = WinInnerWidth();
    SetOutline(main);
    WinHide(MainWindow, 0);
    UpdateWindow(main);
    return width;
}

// A panel is opened as a hidden titled window whose client area reaches the
// main window's right edge. The buttons are wider than a button panel of
// their own width would be: at start the system's least width for a titled
// window would cover that, but a child laid out again gets no such help.
static Layout PanelPlace(Layout at, int mainWidth)
{
    Layout shown = Scaled(at);
    shown.width = mainWidth - shown.x;
    return shown;
}

// A hidden titled window turned into a borderless child of the main window.
static HWND OpenPanel(int window, Layout at, int mainWidth, WindowPart colour)
{
    Layout shown = PanelPlace(at, mainWidth);
    if (!WinOpen(window, shown.x, shown.y, shown.width, shown.height, WinFlagInvisible, ""))
        return nullptr;
    WinSetStyles(window, PanelStyle, PanelExtendedStyle);
    WinSetParent(window, MainWindow);
    WinSetColor(WinHandle(window), WindowColour(colour));
    return WinHandle(window);
}

// A payload picture at the window's scale, stretched once here from the
// payload's own: a picture stretched twice would blur.
static HANDLE DecodeScaled(int image, const void* data)
{
    HANDLE decoded = ImgDecode(image, data);
    BITMAP size = {};
    if (!decoded || !GetObjectW(decoded, sizeof size, &size))
        return decoded;
    return ImgResize(image, WinScale(size.bmWidth), WinScale(size.bmHeight));
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

// Each replaces, and frees, the picture its number held.
static InstallerPictures DecodeInstallerPictures()
{
    return {ProduceLogo(), ProduceCancelPicture()};
}

// New pictures for the controls built: each held its old picture, freed
// when the new one was made, until now.
static void ShowPictures(const InstallerPictures& pictures)
{
    SendMessageW(CtlHandle(LogoPicture), STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)pictures.logo);
    SendMessageW(CtlHandle(CancelButton), BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)pictures.cancel);
}

// Each replaces, and deletes, the font its number held.
static InstallerFonts LoadInstallerFonts()
{
    return {LoadInstallerFont(CreditFont), LoadInstallerFont(ListFont), LoadInstallerFont(ButtonFont)};
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

static void BuildLogoBand(int width, HANDLE logo)
{
    HWND band = OpenPanel(LogoBand, LogoBandAt, width, PartLogoBand);
    if (!band || !CtlUseWindow(band))
        return;
    CtlImage(LogoPicture, 0, 0, WinInnerWidth(), WinInnerHeight(), logo, WS_EX_CLIENTEDGE);
    CtlSetName(LogoPicture, TextIn(TextLogoName, LanguageFrench));
    WinHide(LogoBand, 0);
}

static void SetCreditFont(HFONT font)
{
    CtlSetFont(CreditLine, font);
    if (WinDpi() != WinLayoutDpi)
        GrowToText(CtlHandle(CreditLine));
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

static void BuildLogPanel(int width, const InstallerFonts& fonts)
{
    if (!OpenPanel(LogPanel, LogPanelAt, width, PartLogPanel))
        return;
    if (CtlUseWindow(WinHandle(LogPanel))) {
        Layout credit = Scaled(CreditAt);
        CtlText(CreditLine, credit.x, credit.y, credit.width, credit.height, TextIn(TextCredit, LanguageFrench));
        SetCreditFont(fonts.credit);
        Layout list = Scaled(ListAt);
        NameTheLog(list);
        CtlListBox(LogList, list.x, list.y, list.width, list.height);
        SendMessageA(CtlHandle(LogList), WM_SETFONT, (WPARAM)fonts.list, 1);
    }
    WinHide(LogPanel, 0);
}

static void SetButtonFont(HFONT font)
{
    static const int fontOrder[] = {FrenchButton, InstallButton, EnglishButton, CancelButton};
    for (int button : fontOrder)
        CtlSetFont(button, font);
}

static void BuildButtonPanel(int mainWidth, const InstallerFonts& fonts, HANDLE cancelPicture)
{
    HWND panel = OpenPanel(ButtonPanel, ButtonPanelAt, mainWidth, PartButtonPanel);
    if (!panel || !CtlUseWindow(panel))
        return;
    // Built before a language is chosen: in French.
    Button(FrenchButton, FrenchAt, TextIn(TextFrenchButton, LanguageFrench));
    Button(EnglishButton, EnglishAt, TextIn(TextEnglishButton, LanguageFrench));
    Button(InstallButton, InstallAt, TextIn(TextInstallButton, LanguageFrench));
    Layout cancel = Scaled(CancelAt);
    CtlImageButton(CancelButton, cancel.x, cancel.y, cancel.width, cancel.height, cancelPicture);
    // The button draws only its picture; the text names it for screen readers.
    CtlSetText(CancelButton, TextIn(TextCancelButton, LanguageFrench));
    SetButtonFont(fonts.button);
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
    InstallerPictures pictures = DecodeInstallerPictures();
    InstallerFonts fonts = LoadInstallerFonts();
    BuildLogoBand(width, pictures.logo);
    BuildLogPanel(width, fonts);
    BuildButtonPanel(width, fonts, pictures.cancel);
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
    ShowPictures(DecodeInstallerPictures());
    RedrawWindow(WinHandle(MainWindow), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

// ---- A new scale: the window laid out again around the controls it has

static void PlaceControl(int control, Layout at)
{
    Layout shown = Scaled(at);
    SetWindowPos(CtlHandle(control), nullptr, shown.x, shown.y, shown.width, shown.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

static void PlacePanel(int window, Layout at, int mainWidth)
{
    Layout shown = PanelPlace(at, mainWidth);
    WinPlaceAgain(window, shown.x, shown.y, shown.width, shown.height, WinFlagInvisible);
}

// A new font shows the log from its first line again: the reader's place in
// it is kept. (Its caret and selection stay by themselves.)
static void PlaceLog(HFONT font)
{
    HWND list = CtlHandle(LogList);
    LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    PlaceControl(LogList, ListAt);
    SendMessageW(list, WM_SETFONT, (WPARAM)font, 1);
    SendMessageW(list, LB_SETTOPINDEX, (WPARAM)top, 0);
}

// The pictures go first, before anything that could paint: each control
// holds its old picture, freed, until it is handed the new one.
static void RebuildAtScale(const RECT& suggested)
{
    ShowPictures(DecodeInstallerPictures());
    InstallerFonts fonts = LoadInstallerFonts();
    HWND main = WinHandle(MainWindow);
    SetWindowPos(main, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    SetOutline(main);
    int width = ClientWidth(main);
    PlacePanel(LogoBand, LogoBandAt, width);
    PlacePanel(LogPanel, LogPanelAt, width);
    PlaceControl(CreditLine, CreditAt);
    SetCreditFont(fonts.credit);
    PlaceLog(fonts.list);
    PlacePanel(ButtonPanel, ButtonPanelAt, width);
    PlaceControl(FrenchButton, FrenchAt);
    PlaceControl(EnglishButton, EnglishAt);
    PlaceControl(InstallButton, InstallAt);
    PlaceControl(CancelButton, CancelAt);
    SetButtonFont(fonts.button);
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Windows moved the window to a monitor of another scale, or the user
// changed the scale: the window takes the rectangle Windows suggests and is
// built again as a fresh start at that scale builds it. The scale is the
// message's: functions that ask for a window's scale may still answer with
// the old one while it is handled.
static LRESULT CALLBACK InstallerCallback(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DPICHANGED && window == WinHandle(MainWindow) && lParam) {
        if (WinSetDpi(HIWORD(wParam)))
            RebuildAtScale(*(const RECT*)lParam);
        return 0;
    }
    return ColourCallback(window, message, wParam, lParam);
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
