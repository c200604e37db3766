// The window for a user of the keyboard alone and of a contrast theme,
// driven from outside as such a user drives it: keys typed, the system's
// colours changed. (What a screen reader is given is checked with every
// window state, in InstallerSession.)
#include "InstallerSession.h"
#include "InstallerView.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"
#include <algorithm>
#include <cmath>
#include <vector>

// The control that has the keyboard focus in the installer's thread.
static HWND FocusIn(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

class KeyboardAlone : public InstallerSession {
protected:
    // Keys go where the user looks: to the foreground window.
    void ExpectFocusOn(int control, const char* what)
    {
        ASSERT_TRUE(installer.WaitWatching([&] { return FocusIn(installer.Main) == installer.Control(control); },
                                           Awaited::State, what))
            << what << "; it is on " << (FocusIn(installer.Main) ? TextOf(FocusIn(installer.Main)) : "nothing");
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == installer.Main; }, WindowDeadlineMs))
            << "the installer window is not in the foreground";
    }
};

TEST_F(KeyboardAlone, EscapeBeforeAnyChoiceEndsTheProgram)
{
    ASSERT_NO_FATAL_FAILURE(StartInstaller());
    ExpectChoosingState();
    ASSERT_NO_FATAL_FAILURE(ExpectFocusOn(6, "the focus on the French button at start"));
    RealKey(VK_ESCAPE);
    ExpectEndWithCode0();
}

// Enter presses the focused button and the focus goes on to the next useful
// one: French at start, then Install, then, after the completion message,
// Cancel.
TEST_F(KeyboardAlone, EnterAloneInstallsInFrenchAndEnds)
{
    ASSERT_NO_FATAL_FAILURE(StartInstaller());
    ASSERT_NO_FATAL_FAILURE(ExpectFocusOn(6, "the focus on the French button at start"));
    RealKey(VK_RETURN);
    ASSERT_TRUE(installer.WaitForLineCount(1)) << "Enter at start chose no language";
    EXPECT_EQ(installer.LogLines()[0], "Installation de la librairie :");
    ASSERT_NO_FATAL_FAILURE(ExpectFocusOn(7, "the focus on Install after the language"));
    RealKey(VK_RETURN);
    MessageBoxContent message;
    ASSERT_TRUE(installer.WaitForMessageBox(message, InstallDeadlineMs)) << "Enter on Install installed nothing";
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::French, 0), BoxIcon::Information);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == message.box; }, WindowDeadlineMs));
    RealKey(VK_RETURN);
    ASSERT_TRUE(installer.WaitForNoMessageBox()) << "Enter did not close the message";
    ASSERT_NO_FATAL_FAILURE(ExpectFocusOn(5, "the focus on Cancel after the message"));
    ExpectInstalled(Language::French, {});
    RealKey(VK_RETURN);
    ExpectEndWithCode0();
}

// ---- Contrast themes

// A contrast theme as Windows' own are made: few colours, far from the
// window's own. Its window pair and its button pair differ, so a part that
// takes the wrong pair, or one colour of a pair alone, shows. Every other
// system colour (frames, shadows, grey text) is one more of its own.
constexpr COLORREF ThemeWindow = RGB(0, 0, 0);
constexpr COLORREF ThemeWindowText = RGB(255, 255, 0);
constexpr COLORREF ThemeButtonFace = RGB(96, 0, 0);
constexpr COLORREF ThemeButtonText = RGB(0, 255, 255);
constexpr COLORREF ThemeOther = RGB(0, 200, 0);
constexpr int SystemColourCount = COLOR_MENUBAR + 1;
// A smoothed edge lies between two of the theme's colours, each channel
// within this much of the line between them.
constexpr int BlendTolerance = 8;

static COLORREF ThemeColour(int index)
{
    switch (index) {
    case COLOR_WINDOW: return ThemeWindow;
    case COLOR_WINDOWTEXT: return ThemeWindowText;
    case COLOR_BTNFACE: return ThemeButtonFace;
    case COLOR_BTNTEXT: return ThemeButtonText;
    default: return ThemeOther;
    }
}

// The theme, turned on and off under the installer: the system's colours
// and the test build's report whether the theme is on (a file that the
// test build reads, colours included: a Wine program keeps the colours it
// started with, see HighContrastReported.cpp). Whatever happens, the
// colours are put back at the end.
class ContrastTheme {
public:
    ContrastTheme()
    {
        for (int i = 0; i < SystemColourCount; i++) {
            indices_.push_back(i);
            before_.push_back(GetSysColor(i));
            theme_.push_back(ThemeColour(i));
        }
        folder_ = MakeTempFolder("contrast");
        report_ = folder_ + "theme";
        SetEnvironmentVariableA("QUILLFERN_HIGH_CONTRAST", report_.c_str());
    }
    ~ContrastTheme()
    {
        SetColours(before_);
        SetEnvironmentVariableA("QUILLFERN_HIGH_CONTRAST", nullptr);
        RemoveFolderTree(folder_);
    }
    ContrastTheme(const ContrastTheme&) = delete;
    ContrastTheme& operator=(const ContrastTheme&) = delete;

    // The system says a colour change to every window (WM_SYSCOLORCHANGE).
    void TurnOn()
    {
        Report(true, theme_);
        SetColours(theme_);
    }
    // The colours are put back first, while the theme is still reported
    // on; then it is reported off, which the system says to every window
    // with WM_SETTINGCHANGE, as Windows does when a contrast theme ends.
    void TurnOff(HWND window)
    {
        Report(true, before_);
        SetColours(before_);
        Report(false, before_);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_ABORTIFHUNG,
                            CrossProcessDeadlineMs, &result);
    }

private:
    void SetColours(const std::vector<COLORREF>& colours)
    {
        SetSysColors((int)indices_.size(), indices_.data(), colours.data());
    }
    void Report(bool on, const std::vector<COLORREF>& colours)
    {
        std::string text = on ? "on\n" : "off\n";
        for (COLORREF colour : colours)
            text += std::to_string(colour) + "\n";
        HANDLE file = CreateFileA(report_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr);
        CloseHandle(file);
    }

    std::vector<int> indices_;
    std::vector<COLORREF> before_;
    std::vector<COLORREF> theme_;
    std::string folder_;
    std::string report_;
};

// Light in proportion to the channel (linear) or to its power 2.2 (text
// smoothed in linear light, as Wine and Windows smooth it).
static double Straight(int channel) { return channel / 255.0; }
static double Light(int channel) { return std::pow(channel / 255.0, 2.2); }
static int FromStraight(double value) { return (int)std::lround(value * 255.0); }
static int FromLight(double value) { return (int)std::lround(std::pow(value, 1 / 2.2) * 255.0); }

// On the line from a to b in one of those measures: every channel at the
// same fraction of its way from a to b, within the tolerance.
static bool BlendIn(COLORREF pixel, COLORREF a, COLORREF b, double (*measure)(int), int (*back)(double))
{
    int channels[3][3] = {{GetRValue(pixel), GetRValue(a), GetRValue(b)},
                          {GetGValue(pixel), GetGValue(a), GetGValue(b)},
                          {GetBValue(pixel), GetBValue(a), GetBValue(b)}};
    double span = 0, along = 0;
    for (auto& channel : channels) {
        double width = measure(channel[2]) - measure(channel[1]);
        if (std::fabs(width) > std::fabs(span)) {
            span = width;
            along = (measure(channel[0]) - measure(channel[1])) / width;
        }
    }
    along = std::clamp(along, 0.0, 1.0);
    for (auto& channel : channels) {
        int expected = back(measure(channel[1]) + (measure(channel[2]) - measure(channel[1])) * along);
        if (std::abs(channel[0] - expected) > BlendTolerance)
            return false;
    }
    return true;
}

static bool BlendOf(COLORREF pixel, COLORREF a, COLORREF b)
{
    return BlendIn(pixel, a, b, Straight, FromStraight) || BlendIn(pixel, a, b, Light, FromLight);
}

static const COLORREF ThemeColours[] = {ThemeWindow, ThemeWindowText, ThemeButtonFace, ThemeButtonText, ThemeOther};

static bool OfTheTheme(COLORREF pixel)
{
    for (COLORREF a : ThemeColours) {
        for (COLORREF b : ThemeColours) {
            if (BlendOf(pixel, a, b))
                return true;
        }
    }
    return false;
}

static std::string Describe(COLORREF pixel, int x, int y)
{
    char text[64];
    snprintf(text, sizeof text, "#%02X%02X%02X at (%d, %d)", GetRValue(pixel), GetGValue(pixel), GetBValue(pixel),
             x, y);
    return text;
}

// What is off the theme on the screen, in words ("" when nothing is): every
// pixel inside the window's outline is one of the theme's colours or a blend
// of two; the log and the logo are window text on window, the credit line
// button text on button face, the panels button face; the logo's letters
// are the text colour and its paper the window colour.
static std::string OffTheTheme(const InstallerProcess& installer, const ScreenImage& screen)
{
    struct Part {
        const char* name;
        RECT area;
        COLORREF back, text;
    };
    HWND logo = GetDlgItem(installer.LogoBand, 11);
    // Wine draws the picture's sunken edge, in the system's edge colours,
    // inside its client area.
    RECT picture = ClientOnScreen(logo);
    InflateRect(&picture, -2, -2);
    const Part pairs[] = {
        {"the log", ClientOnScreen(installer.List), ThemeWindow, ThemeWindowText},
        {"the logo", picture, ThemeWindow, ThemeWindowText},
        {"the credit line", ClientOnScreen(GetDlgItem(installer.LogPanel, 14)), ThemeButtonFace, ThemeButtonText},
    };
    RECT outer = {};
    GetWindowRect(installer.Main, &outer);
    HRGN outline = OutlineOnScreen(installer.Main);
    std::string off;
    for (const Part& part : pairs) {
        for (int y = part.area.top; y < part.area.bottom && off.empty(); y++) {
            for (int x = part.area.left; x < part.area.right && off.empty(); x++) {
                if (PtInRegion(outline, x, y) && !BlendOf(screen.At(x, y), part.back, part.text))
                    off = std::string(part.name) + " shows " + Describe(screen.At(x, y), x, y);
            }
        }
    }
    if (!off.empty()) {
        DeleteObject(outline);
        return off;
    }
    for (HWND panel : {installer.LogPanel, installer.ButtonPanel}) {
        RECT client = ClientOnScreen(panel);
        if (screen.At(client.left, client.top) != ThemeButtonFace)
            off = "a panel shows " + Describe(screen.At(client.left, client.top), client.left, client.top);
    }
    std::string logoWrong = LogoDrawnWrong(screen, logo, RECT{}, ThemeWindowText, ThemeWindow);
    if (off.empty() && !logoWrong.empty())
        off = "the logo: " + logoWrong;
    // The focused button's dotted frame (Wine draws it even where the focus
    // is to be hidden) inverts what lies under it: the system's drawing.
    RECT focused = {};
    GetWindowRect(FocusIn(installer.Main), &focused);
    auto focusFrame = [&](COLORREF pixel, int x, int y) {
        POINT at = {x, y};
        return PtInRect(&focused, at) && OfTheTheme(pixel ^ 0xFFFFFF);
    };
    for (int y = outer.top; y < outer.bottom && off.empty(); y++) {
        for (int x = outer.left; x < outer.right && off.empty(); x++) {
            if (screen.Contains(x, y) && PtInRegion(outline, x, y) && !OfTheTheme(screen.At(x, y))
                && !focusFrame(screen.At(x, y), x, y))
                off = "the window shows " + Describe(screen.At(x, y), x, y);
        }
    }
    DeleteObject(outline);
    return off;
}

static RECT WindowArea(HWND window)
{
    RECT outer = {};
    GetWindowRect(window, &outer);
    return outer;
}

class ContrastThemes : public InstallerSession {
protected:
    void SetUp() override
    {
        InstallerSession::SetUp();
        program = PathFromEnvironment("QUILLFERN_SETUP_HIGH_CONTRAST");
        ASSERT_FALSE(program.empty()) << "QUILLFERN_SETUP_HIGH_CONTRAST names the test build";
    }

    void ExpectInTheTheme(const InstallerProcess& run, const char* when)
    {
        std::string off;
        ScreenImage shown;
        bool inTheme = run.WaitWatching(
            [&] {
                shown = CaptureScreen();
                off = OffTheTheme(run, shown);
                return off.empty();
            },
            Awaited::State, when, PaintDeadlineMs);
        if (!inTheme)
            SaveScreenshot(shown, std::string("contrast-theme-wrong"));
        ASSERT_TRUE(inTheme) << when << ": " << off;
    }
};

// The theme comes and goes under the open window; then the window is,
// pixel for pixel, what it was before. A second run starts in the theme.
TEST_F(ContrastThemes, TheWindowFollowsTheThemeAndComesBackAsItWas)
{
    ContrastTheme theme;
    ASSERT_NO_FATAL_FAILURE(StartInstaller());
    ScreenImage before = Crop(painted, WindowArea(installer.Main));

    theme.TurnOn();
    ASSERT_NO_FATAL_FAILURE(ExpectInTheTheme(installer, "the theme turned on under the window"));
    SaveScreenshot(CaptureScreen(), "contrast-theme");

    theme.TurnOff(installer.Main);
    ScreenImage after;
    bool same = installer.WaitWatching(
        [&] {
            after = Crop(CaptureScreen(), WindowArea(installer.Main));
            return after.pixels == before.pixels;
        },
        Awaited::State, "the window as it was", PaintDeadlineMs);
    if (!same) {
        SaveScreenshot(before, "contrast-theme-before");
        SaveScreenshot(after, "contrast-theme-after");
        size_t differing = 0;
        for (size_t i = 0; i < before.pixels.size() && i < after.pixels.size(); i++)
            differing += before.pixels[i] != after.pixels[i];
        FAIL() << "after the theme the window differs in " << differing << " pixels from before it";
    }
    Click(5, false);
    ExpectEndWithCode0();

    theme.TurnOn();
    InstallerProcess inTheme;
    inTheme.onUnexpected = StopScenario;
    ASSERT_TRUE(inTheme.Start(parent, program)) << "cannot start " << program;
    ASSERT_TRUE(inTheme.WaitForWindow()) << "the installer window and its controls did not appear";
    ASSERT_NO_FATAL_FAILURE(ExpectInTheTheme(inTheme, "the installer started in the theme"));
    PostButtonClick(inTheme.Control(5));
    DWORD exitCode = 0xDEAD;
    ASSERT_TRUE(inTheme.WaitForEndAfterQuit(&exitCode)) << "the installer did not end";
    EXPECT_EQ(exitCode, 0u);
}
