// The installer on displays of 120, 144 and 192 dots per inch: the window
// laid out for 96 grows by the display's scale, every text still fits its
// control, and a French installation runs as at 96. Moved to another scale
// while it runs, it is laid out as a fresh start there, and back at the
// first it is the window it was.
#include "InstallerSession.h"
#include "ScaleChangeSent.h"
#include "app/window/InstallerWindow.h"
#include "payload/Payload.h"
#include "support/BitmapFile.h"
#include "support/WaitFor.h"
#include "support/Wide.h"

// What the window shows and holds, which a change of scale and back keeps.
struct WindowSeen {
    RECT rect = {};
    ScreenImage picture;                // the window's rectangle on the screen
    std::vector<std::string> log;
    LRESULT top = 0, caret = 0, selected = 0;
    std::vector<std::string> texts;     // buttons 6, 8, 7, 5
    std::vector<bool> enabled;
    HWND focus = nullptr;
};

class ScaledDisplay : public InstallerSession {
protected:
    void GrowsWholeAndInstalls(int dpi);
    // The window, its panels, controls, outline and pictures, as laid out at
    // `dpi`, and every text whole in its control.
    void ExpectLaidOutFor(int dpi);
    // The window as painted last.
    WindowSeen Seen() const;
    // The test build sends its window WM_DPICHANGED for `dpi` with the
    // rectangle `suggested`; then the window paints completely.
    void ChangeScale(int dpi, const RECT& suggested);
    // From 96 to 144 dpi, where the window is laid out as a fresh start there
    // (and, given one, looks as its picture), and back, where it is the
    // window it was; its content is kept throughout.
    void ThereAndBack(const std::string& state, const RECT& at144, const ScreenImage* fresh144 = nullptr);
};

// A control's rectangle in its parent's client area, as laid out at 96 dpi.
struct Laid {
    int control;
    RECT at;
};

static RECT InParent(HWND control)
{
    RECT rect = {};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), (POINT*)&rect, 2);
    return rect;
}

static RECT Times(const RECT& at, int dpi)
{
    return {MulDiv(at.left, dpi, 96), MulDiv(at.top, dpi, 96), MulDiv(at.right, dpi, 96),
            MulDiv(at.bottom, dpi, 96)};
}

// The text's extent in the installer's font at the display's scale, as the
// system realises the face it asks for.
static SIZE TextExtent(const InstallerFont& font, int dpi, const std::string& text)
{
    HFONT created = CreateFontA(-MulDiv(font.points, dpi, 72), 0, 0, 0, (font.flags & FntBold) ? FW_BOLD : FW_NORMAL,
                                (font.flags & FntItalic) != 0, 0, 0, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, 0,
                                font.face);
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, created);
    std::wstring wide = Wide(text);
    SIZE extent = {};
    GetTextExtentPoint32W(screen, wide.c_str(), (int)wide.size(), &extent);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    DeleteObject(created);
    return extent;
}

static void ExpectLaidOutAt(HWND control, const RECT& at96, int dpi, bool mayGrow)
{
    RECT expected = Times(at96, dpi), shown = InParent(control);
    EXPECT_NEAR(shown.left, expected.left, 2);
    EXPECT_NEAR(shown.top, expected.top, 2);
    EXPECT_NEAR(shown.bottom, expected.bottom, 2);
    if (mayGrow)
        EXPECT_GE(shown.right, expected.right - 2);
    else
        EXPECT_NEAR(shown.right, expected.right, 2);
}

void ScaledDisplay::ExpectLaidOutFor(int dpi)
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    RECT box = {};
    ASSERT_NE(GetWindowRgn(installer.Main, region), ERROR) << "no region";
    GetRgnBox(region, &box);
    DeleteObject(region);
    EXPECT_NEAR(box.right - box.left, MulDiv(550, dpi, 96), 2) << "the region's width";
    EXPECT_NEAR(box.bottom - box.top, MulDiv(339, dpi, 96), 2) << "the region's height";

    EXPECT_NEAR(InParent(installer.LogPanel).top, MulDiv(103, dpi, 96), 2) << "the log panel";
    RECT buttonPanel = InParent(installer.ButtonPanel);
    EXPECT_NEAR(buttonPanel.left, MulDiv(450, dpi, 96), 2) << "the button panel";
    EXPECT_NEAR(buttonPanel.top, MulDiv(117, dpi, 96), 2) << "the button panel";
    HWND credit = GetDlgItem(installer.LogPanel, 14);
    static const Laid controls[] = {{100, {14, 14, 452, 215}}, {6, {7, 9, 93, 40}},   {8, {7, 44, 93, 75}},
                                    {7, {7, 100, 93, 131}},    {5, {7, 161, 93, 192}}, {14, {30, 215, 330, 230}}};
    for (const Laid& laid : controls) {
        SCOPED_TRACE("control " + std::to_string(laid.control));
        ExpectLaidOutAt(laid.control == 14 ? credit : installer.Control(laid.control), laid.at, dpi, laid.control == 14);
    }
    // The pictures are drawn at the scale too: any correct scaling makes the
    // 96-dpi logo dpi / 96 times as large, short of a pixel, and the control
    // takes its size (its colours are judged with the painting).
    RECT logo = InParent(GetDlgItem(installer.LogoBand, 11));
    BitmapFilePixels picture = ReadBitmapFile(LogoBitmapStart);
    EXPECT_LT(abs((logo.right - logo.left) * 96 - picture.width * dpi), 96)
        << "the logo's width: " << logo.right - logo.left << ", for " << picture.width << " at 96 dpi";
    EXPECT_LT(abs((logo.bottom - logo.top) * 96 - picture.height * dpi), 96)
        << "the logo's height: " << logo.bottom - logo.top << ", for " << picture.height << " at 96 dpi";

    RECT client = {};
    GetClientRect(credit, &client);
    EXPECT_LE(TextExtent(CreditFont, dpi, TextOf(credit)).cx, client.right) << "the credit line is cut off";
    for (int button : {6, 8, 7}) {
        GetClientRect(installer.Control(button), &client);
        EXPECT_LT(TextExtent(ButtonFont, dpi, TextOf(installer.Control(button))).cx, client.right)
            << "the text of button " << button;
    }
}

void ScaledDisplay::GrowsWholeAndInstalls(int dpi)
{
    DisplayScale scale(dpi);
    ASSERT_TRUE(scale.Applied()) << "LogPixels could not be set: error " << scale.Status();
    ASSERT_NO_FATAL_FAILURE(StartInstaller());
    ExpectChoosingState();
    SaveScreenshot(painted, "scaled-" + std::to_string(dpi) + "-choosing");
    ExpectLaidOutFor(dpi);

    ASSERT_NO_FATAL_FAILURE(ChooseLanguage(Language::French));
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(Install(message));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::French, 0), BoxIcon::Information);
    ExpectInstalled(Language::French, {});
    SaveScreenshot(painted, "scaled-" + std::to_string(dpi) + "-installed");
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    EXPECT_EQ(ListTree(host), ExpectedHostTree({}));
}

// Plain cases, not parameterised ones: GoogleTest runs those after every
// other suite, and a fault in the scaling is to show within the first minutes.
TEST_F(ScaledDisplay, TheWindowGrowsWholeAndInstallsAt120Dpi)
{
    GrowsWholeAndInstalls(120);
}

TEST_F(ScaledDisplay, TheWindowGrowsWholeAndInstallsAt144Dpi)
{
    GrowsWholeAndInstalls(144);
}

TEST_F(ScaledDisplay, TheWindowGrowsWholeAndInstallsAt192Dpi)
{
    GrowsWholeAndInstalls(192);
}

// ---- Moved to another scale while it runs

WindowSeen ScaledDisplay::Seen() const
{
    WindowSeen seen;
    GetWindowRect(installer.Main, &seen.rect);
    seen.picture = Crop(painted, seen.rect);
    seen.log = installer.LogLines();
    seen.top = installer.AskList(LB_GETTOPINDEX);
    seen.caret = installer.AskList(LB_GETCARETINDEX);
    seen.selected = installer.AskList(LB_GETCURSEL);
    for (int button : {6, 8, 7, 5}) {
        seen.texts.push_back(TextOf(installer.Control(button)));
        seen.enabled.push_back(IsWindowEnabled(installer.Control(button)) != FALSE);
    }
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(installer.Main, nullptr), &thread);
    seen.focus = thread.hwndFocus;
    return seen;
}

void ScaledDisplay::ChangeScale(int dpi, const RECT& suggested)
{
    ScaleChange change = {(UINT)dpi, suggested};
    COPYDATASTRUCT data = {ScaleChangeTag, sizeof change, &change};
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(installer.Main, WM_COPYDATA, 0, (LPARAM)&data, SMTO_ABORTIFHUNG,
                                    CrossProcessDeadlineMs, &answer))
        << "the installer did not answer";
    ASSERT_EQ(answer, (DWORD_PTR)TRUE) << "not the test build that sends itself WM_DPICHANGED";
    ExpectPainted();
}

// Everything but the pixels and the rectangle.
static void ExpectSameContent(const WindowSeen& before, const WindowSeen& after)
{
    EXPECT_EQ(after.log, before.log) << "the log's lines";
    EXPECT_EQ(after.top, before.top) << "the log's first line shown";
    EXPECT_EQ(after.caret, before.caret) << "the log's caret";
    EXPECT_EQ(after.selected, before.selected) << "the log's selection";
    EXPECT_EQ(after.texts, before.texts) << "the buttons' language";
    EXPECT_EQ(after.enabled, before.enabled) << "the buttons' enabled state";
    EXPECT_EQ(after.focus, before.focus) << "the focus";
}

static size_t SharedPixels(const ScreenImage& a, const ScreenImage& b)
{
    size_t shared = 0;
    for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); i++)
        shared += a.pixels[i] == b.pixels[i];
    return shared;
}

// Pixel for pixel; the two pictures are saved when they differ.
static void ExpectSamePicture(const ScreenImage& expected, const ScreenImage& shown, const std::string& name)
{
    ASSERT_EQ(shown.width, expected.width) << name;
    ASSERT_EQ(shown.height, expected.height) << name;
    size_t differing = shown.pixels.size() - SharedPixels(expected, shown);
    EXPECT_EQ(differing, 0u) << name << ": pixels that differ, of " << shown.pixels.size();
    if (differing) {
        SaveScreenshot(expected, name + "-expected");
        SaveScreenshot(shown, name + "-shown");
    }
}

void ScaledDisplay::ThereAndBack(const std::string& state, const RECT& at144, const ScreenImage* fresh144)
{
    WindowSeen before = Seen();
    ASSERT_NO_FATAL_FAILURE(ChangeScale(144, at144));
    {
        SCOPED_TRACE(state + ", at 144 dpi");
        ExpectLaidOutFor(144);
        if (fresh144)
            ExpectSamePicture(*fresh144, Seen().picture, "rescaled-144-" + state);
        ExpectSameContent(before, Seen());
    }
    ASSERT_NO_FATAL_FAILURE(ChangeScale(96, before.rect));
    SCOPED_TRACE(state + ", back at 96 dpi");
    ExpectSamePicture(before.picture, Seen().picture, "rescaled-96-" + state);
    ExpectSameContent(before, Seen());
}

// Wine gives every monitor the one system scale and never sends WM_DPICHANGED:
// a test build sends it to its own window, with the scale and the rectangle
// that a fresh start at that scale has (Windows suggests a rectangle scaled
// from the window's). The scale can come from nowhere but the message.
TEST_F(ScaledDisplay, MovedToAnotherScaleTheWindowIsLaidOutAgainAndComesBackAsItWas)
{
    program = PathFromEnvironment("QUILLFERN_SETUP_SCALE_CHANGED");
    ASSERT_FALSE(program.empty()) << "QUILLFERN_SETUP_SCALE_CHANGED names the test build";
    WindowSeen fresh144;
    {
        DisplayScale scale(144);
        ASSERT_TRUE(scale.Applied()) << "LogPixels could not be set: error " << scale.Status();
        ASSERT_NO_FATAL_FAILURE(StartInstaller());
        fresh144 = Seen();
        Click(5, false);
        ASSERT_NO_FATAL_FAILURE(ExpectEndWithCode0());
    }
    DisplayScale scale(96);
    ASSERT_TRUE(scale.Applied()) << "LogPixels could not be set: error " << scale.Status();
    ASSERT_NO_FATAL_FAILURE(StartInstaller());
    ASSERT_NO_FATAL_FAILURE(ThereAndBack("choosing", fresh144.rect, &fresh144.picture));
    ASSERT_NO_FATAL_FAILURE(ChooseLanguage(Language::English));
    ASSERT_NO_FATAL_FAILURE(ThereAndBack("chosen", fresh144.rect));

    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(Install(message));
    // A box follows the scale by itself; it must open on the window's monitor.
    EXPECT_EQ(GetWindow(message.box, GW_OWNER), installer.Main) << "the box is owned by the installer window";
    EXPECT_EQ(MonitorFromWindow(message.box, MONITOR_DEFAULTTONULL),
              MonitorFromWindow(installer.Main, MONITOR_DEFAULTTONULL));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::English, 0), BoxIcon::Information);
    ExpectPainted(&message);
    RECT boxRect = {};
    GetWindowRect(message.box, &boxRect);
    ScreenImage box = Crop(painted, boxRect);
    PostButtonClick(GetDlgItem(message.box, IDOK));
    ASSERT_TRUE(installer.WaitForNoMessageBox()) << "the message box stayed";
    ASSERT_TRUE(installer.WaitWatching([&] { return IsWindowEnabled(installer.Control(5)) != FALSE; },
                                       Awaited::State, "the cancel button"));
    // The window is complete only once what the box covered is painted again.
    EXPECT_TRUE(WaitFor([&] { return SharedPixels(box, Crop(CaptureScreen(), boxRect)) * 2 < box.pixels.size(); }))
        << "the box's pixels stayed on the screen";
    ExpectPainted();
    EXPECT_GT(installer.AskList(LB_GETTOPINDEX), 0) << "the log is scrolled";
    ASSERT_NO_FATAL_FAILURE(ThereAndBack("installed", fresh144.rect));
    // A scale no display has is not taken.
    WindowSeen installed = Seen();
    ASSERT_NO_FATAL_FAILURE(ChangeScale(9600, fresh144.rect));
    ExpectSamePicture(installed.picture, Seen().picture, "rescaled-9600");
    ExpectInstalled(Language::English, {});
    Click(5, false);
    ASSERT_NO_FATAL_FAILURE(ExpectEndWithCode0());
}
