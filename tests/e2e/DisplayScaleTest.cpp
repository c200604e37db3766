// The installer on displays of 120, 144 and 192 dots per inch: the window
// laid out for 96 grows by the display's scale, every text still fits its
// control, and a French installation runs as at 96.
#include "InstallerSession.h"
#include "app/InstallerWindow.h"
#include "payload/Payload.h"
#include "support/BitmapFile.h"
#include "support/Wide.h"

class ScaledDisplay : public InstallerSession {
protected:
    void GrowsWholeAndInstalls(int dpi);
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

void ScaledDisplay::GrowsWholeAndInstalls(int dpi)
{
    DisplayScale scale(dpi);
    ASSERT_TRUE(scale.Applied()) << "LogPixels could not be set";
    ASSERT_NO_FATAL_FAILURE(StartInstaller());
    ExpectChoosingState();
    SaveScreenshot(painted, "scaled-" + std::to_string(dpi) + "-choosing");

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
