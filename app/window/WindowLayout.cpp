#include "app/window/WindowLayout.h"
#include "app/window/Installer.h"
#include "app/window/InstallerWindow.h"
#include "app/Texts.h"
#include "app/window/WindowColours.h"
#include "app/window/WindowPictures.h"
#include "gui/Ctl.h"
#include "gui/ScopedDc.h"
#include "gui/Win.h"
#include "runtime/Rt.h"
#include "runtime/StrWide.h"

// The panels' window numbers.
constexpr int LogoBand = 1;
constexpr int ButtonPanel = 2;
constexpr int LogPanel = 3;

// A panel clips its siblings, as the titled window it was once opened as and
// then turned into a child did: the system does not let a top-level window
// drop WS_CLIPSIBLINGS. The button panel lies over the log panel.
constexpr DWORD PanelStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
// No extended style has this bit: it is WS_VISIBLE's, passed where the
// extended style goes, as the panels were first made (WS_VISIBLE meant for
// the style). The system keeps it and acts on none of it, and a panel is
// shown by WinHide once built; it stays so that each panel is made with the
// extended style it always had.
constexpr DWORD PanelExtendedStyle = 0x10000000;

// Lengths are laid out for a display of 96 dots per inch and scaled to the
// window's scale whenever the window is built; what the system measures (the
// client sizes read back) is taken as it comes.
struct Layout {
    int x, y, width, height;
};

// As the tables hold it.
struct LayoutAt {
    short x, y, width, height;
};

enum ControlKind : unsigned char {
    KindPicture,        // made as large as its panel; its picture sizes it
    KindText,           // grows to its text
    KindLabel,          // hidden: it names the control made after it
    KindList,
    KindButton,
    KindPictureButton   // draws only its picture; its text names it
};

// The fonts, loaded in this order for each scale.
enum ControlFont : unsigned char { FontCredit, FontList, FontButton, FontCount, FontNone = FontCount };
static const InstallerFont* const Fonts[FontCount] = {&CreditFont, &ListFont, &ButtonFont};

constexpr TextId NoText = TextCount;

struct WindowControl {
    unsigned char control;
    ControlKind kind;
    LayoutAt at;
    TextId text;            // in French until a language is chosen
    ControlFont font;
    WindowPicture picture;
    bool disabled;          // at the start
};

// A panel's width reaches the main window's right edge, whatever the table
// says.
struct WindowPanel {
    unsigned char window;
    WindowPart colour;
    unsigned char count;
    LayoutAt at;
    const WindowControl* controls;
};

constexpr LayoutAt ListAt = {14, 14, 438, 201};

static const WindowControl LogoControls[] = {
    {LogoPicture, KindPicture, {0, 0, 0, 0}, TextLogoName, FontNone, PictureLogo, false},
};

// A list box shows no text of its own: Windows names it after the static
// text just before it, which would be the credit line. A label of its own,
// hidden, comes between them; Windows still takes a hidden label for the
// name (and shows it to no one). The list box's own window text would not
// do: the system's accessibility layer names a list box by its label alone.
static const WindowControl LogControls[] = {
    {CreditLine, KindText, {30, 215, 300, 15}, TextCredit, FontCredit, PictureNone, false},
    {LogName, KindLabel, {ListAt.x, ListAt.y, 0, 0}, TextLogName, FontNone, PictureNone, false},
    {LogList, KindList, ListAt, NoText, FontList, PictureNone, false},
};

// In the order the Tab key visits them.
static const WindowControl ButtonControls[] = {
    {FrenchButton, KindButton, {7, 9, 86, 31}, TextFrenchButton, FontButton, PictureNone, false},
    {EnglishButton, KindButton, {7, 44, 86, 31}, TextEnglishButton, FontButton, PictureNone, false},
    {InstallButton, KindButton, {7, 100, 86, 31}, TextInstallButton, FontButton, PictureNone, true},
    {CancelButton, KindPictureButton, {7, 161, 86, 31}, TextCancelButton, FontButton, PictureCancel, false},
};

template <unsigned char count>
constexpr WindowPanel Panel(unsigned char window, LayoutAt at, WindowPart colour, const WindowControl (&controls)[count])
{
    return {window, colour, count, at, controls};
}

// Built in this order: the button panel, last, lies above the log panel
// where they overlap.
static const WindowPanel Panels[] = {
    Panel(LogoBand, {0, 0, 0, 78}, PartLogoBand, LogoControls),
    Panel(LogPanel, {0, 103, 0, 206}, PartLogPanel, LogControls),
    Panel(ButtonPanel, {450, 117, 0, 176}, PartButtonPanel, ButtonControls),
};

static Layout Scaled(LayoutAt at)
{
    return {WinScale(at.x), WinScale(at.y), WinScale(at.width), WinScale(at.height)};
}

// Each replaces, and deletes, the font its number held.
static void LoadFonts(HFONT fonts[FontCount])
{
    for (int font = 0; font < FontCount; font++)
        fonts[font] = LoadInstallerFont(*Fonts[font]);
}

// ---- The panels

// A panel's client area reaches the main window's right edge: the buttons
// are wider than a button panel of its own width would be.
static Layout PanelPlace(const WindowPanel& panel, int mainWidth)
{
    Layout shown = Scaled(panel.at);
    shown.width = mainWidth - shown.x;
    return shown;
}

// A hidden borderless child of the main window, as large as a titled window
// of its client size.
static HWND OpenPanel(const WindowPanel& panel, int mainWidth)
{
    Layout shown = PanelPlace(panel, mainWidth);
    if (!WinOpenChild(panel.window, MainWindow, shown.x, shown.y, shown.width, shown.height, PanelStyle,
                      PanelExtendedStyle))
        return nullptr;
    WinSetColor(WinHandle(panel.window), WindowColour(panel.colour));
    return WinHandle(panel.window);
}

// ---- The controls

// A static text wraps what does not fit its width, and glyphs do not grow
// exactly with the display: the control grows to its text (which it keeps
// in every language), measured with its font.
static void GrowToText(HWND control, const char* text, HFONT font)
{
    HeapWideStr wide = StrToWide(text);
    ScopedDc context(CreateCompatibleDC(nullptr));
    RECT shown = {};
    if (wide && context.dc && GetClientRect(control, &shown)) {
        ScopedSelection chosen(context.dc, font);
        SIZE needed = {};
        GetTextExtentPoint32W(context.dc, wide, lstrlenW(wide), &needed);
        int width = needed.cx > shown.right ? needed.cx : shown.right;
        int height = needed.cy > shown.bottom ? needed.cy : shown.bottom;
        if (width != shown.right || height != shown.bottom)
            SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RtFree(wide);
}

static void SetFont(const WindowControl& part, const HFONT fonts[FontCount])
{
    if (part.font == FontNone)
        return;
    CtlSetFont(part.control, fonts[part.font]);
    if (part.kind == KindText && WinDpi() != WinLayoutDpi)
        GrowToText(CtlHandle(part.control), TextIn(part.text, LanguageFrench), fonts[part.font]);
}

// A picture is made as large as its panel's client area (the panel is the
// creation window and the current one); the picture then sizes it.
static void CreateControl(const WindowControl& part, Layout at, const char* text, HANDLE picture)
{
    switch (part.kind) {
    case KindPicture:
        CtlImage(part.control, at.x, at.y, WinInnerWidth(), WinInnerHeight(), picture, WS_EX_CLIENTEDGE);
        CtlSetName(part.control, text);
        break;
    case KindText:
    case KindLabel:
        CtlText(part.control, at.x, at.y, at.width, at.height, text);
        break;
    case KindList:
        CtlListBox(part.control, at.x, at.y, at.width, at.height);
        break;
    case KindButton:
        CtlButton(part.control, at.x, at.y, at.width, at.height, text);
        break;
    case KindPictureButton:
        CtlImageButton(part.control, at.x, at.y, at.width, at.height, picture);
        CtlSetText(part.control, text);
        break;
    }
}

static void MakeControl(const WindowControl& part, const HANDLE pictures[PictureCount], const HFONT fonts[FontCount])
{
    HANDLE picture = part.picture == PictureNone ? nullptr : pictures[part.picture];
    CreateControl(part, Scaled(part.at), TextIn(part.text, LanguageFrench), picture);
    if (part.kind == KindLabel)
        ShowWindow(CtlHandle(part.control), SW_HIDE);
    SetFont(part, fonts);
    if (part.disabled)
        CtlDisable(part.control, 1);
}

// A new font shows a list from its first line again: the reader's place in
// the log is kept. (Its caret and selection stay by themselves.) A picture
// keeps the size its picture gave it.
static void PlaceControl(const WindowControl& part, const HFONT fonts[FontCount])
{
    HWND control = CtlHandle(part.control);
    LRESULT top = part.kind == KindList ? SendMessageW(control, LB_GETTOPINDEX, 0, 0) : 0;
    Layout shown = Scaled(part.at);
    UINT size = part.kind == KindPicture ? SWP_NOSIZE : 0;
    SetWindowPos(control, nullptr, shown.x, shown.y, shown.width, shown.height, SWP_NOZORDER | SWP_NOACTIVATE | size);
    SetFont(part, fonts);
    if (part.kind == KindList)
        SendMessageW(control, LB_SETTOPINDEX, (WPARAM)top, 0);
}

// ---- The window's parts as a whole

void WindowLayoutBuild(int mainWidth)
{
    HANDLE pictures[PictureCount];
    WindowPicturesMake(pictures);
    HFONT fonts[FontCount];
    LoadFonts(fonts);
    for (const WindowPanel& panel : Panels) {
        HWND window = OpenPanel(panel, mainWidth);
        if (!window || !CtlUseWindow(window))
            continue;
        for (int i = 0; i < panel.count; i++)
            MakeControl(panel.controls[i], pictures, fonts);
        WinHide(panel.window, 0);
    }
}

void WindowLayoutPlace(int mainWidth)
{
    HFONT fonts[FontCount];
    LoadFonts(fonts);
    for (const WindowPanel& panel : Panels) {
        Layout shown = PanelPlace(panel, mainWidth);
        WinPlaceAgain(panel.window, shown.x, shown.y, shown.width, shown.height, WinFlagInvisible);
        for (int i = 0; i < panel.count; i++)
            PlaceControl(panel.controls[i], fonts);
    }
}

// Each control held its old picture, freed when the new one was made, until
// now.
void WindowLayoutShowPictures()
{
    HANDLE pictures[PictureCount];
    WindowPicturesMake(pictures);
    for (const WindowPanel& panel : Panels) {
        for (int i = 0; i < panel.count; i++) {
            const WindowControl& part = panel.controls[i];
            if (part.picture == PictureNone)
                continue;
            UINT message = part.kind == KindPicture ? STM_SETIMAGE : BM_SETIMAGE;
            SendMessageW(CtlHandle(part.control), message, IMAGE_BITMAP, (LPARAM)pictures[part.picture]);
        }
    }
}

void WindowLayoutColourPanels()
{
    for (const WindowPanel& panel : Panels)
        WinSetColor(WinHandle(panel.window), WindowColour(panel.colour));
}
