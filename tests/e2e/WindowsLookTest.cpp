// Texts measured as Windows measures them: every face the installer and its
// message box ask for comes out with the metrics of the Windows face, so what
// fits on Windows fits here, and what is cut here is cut there.
#include "InstallerSession.h"
#include "app/window/InstallerWindow.h"
#include "support/Wide.h"

// A Windows face's vertical metrics (usWinAscent and usWinDescent in font
// units), from which Windows takes a TrueType font's cell height.
struct WindowsFace {
    const char* name;
    int unitsPerEm;
    int ascent;
    int descent;
};
constexpr WindowsFace Arial = {"Arial", 2048, 1854, 434};
constexpr WindowsFace TimesNewRoman = {"Times New Roman", 2048, 1825, 443};
constexpr WindowsFace Tahoma = {"Tahoma", 2048, 2049, 423};

struct Realised {
    std::string face;
    TEXTMETRICA metrics = {};
    SIZE extent = {};
};

static Realised Realise(HFONT font, const std::string& text = "")
{
    Realised realised;
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    char face[LF_FACESIZE] = "";
    GetTextFaceA(screen, sizeof face, face);
    realised.face = face;
    GetTextMetricsA(screen, &realised.metrics);
    std::wstring wide = Wide(text);
    GetTextExtentPoint32W(screen, wide.c_str(), (int)wide.size(), &realised.extent);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return realised;
}

// The face asked for, as a TrueType font whose cell is as high as Windows
// makes that face's cell at the font's em height.
static void ExpectWindowsMetrics(HFONT font, const WindowsFace& windows)
{
    SCOPED_TRACE(windows.name);
    LOGFONTA asked = {};
    GetObjectA(font, sizeof asked, &asked);
    int em = asked.lfHeight < 0 ? -asked.lfHeight : asked.lfHeight;
    Realised realised = Realise(font);
    EXPECT_EQ(realised.face, windows.name) << "another face stands in for it";
    EXPECT_TRUE(realised.metrics.tmPitchAndFamily & TMPF_TRUETYPE);
    EXPECT_EQ(realised.metrics.tmAscent, MulDiv(em, windows.ascent, windows.unitsPerEm));
    EXPECT_EQ(realised.metrics.tmDescent, MulDiv(em, windows.descent, windows.unitsPerEm));
}

TEST_F(InstallerSession, TextsHaveTheMetricsOfTheWindowsFaces)
{
    ASSERT_NO_FATAL_FAILURE(StartInstaller());
    HWND credit = GetDlgItem(installer.LogPanel, 14);
    RECT client = {};
    GetClientRect(credit, &client);
    std::string text = TextOf(credit);
    Realised creditLine = Realise(LoadInstallerFont(CreditFont), text);
    EXPECT_LE(creditLine.extent.cx, client.right) << "the credit line is cut off";

    ExpectWindowsMetrics(LoadInstallerFont(CreditFont), TimesNewRoman);
    ExpectWindowsMetrics(LoadInstallerFont(ListFont), Arial);
    ExpectWindowsMetrics(LoadInstallerFont(ButtonFont), Arial);
    // The message box's text and title.
    NONCLIENTMETRICSA system = {};
    system.cbSize = sizeof system;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof system, &system, 0));
    for (const LOGFONTA* font : {&system.lfMessageFont, &system.lfCaptionFont}) {
        HFONT created = CreateFontIndirectA(font);
        ExpectWindowsMetrics(created, Tahoma);
        DeleteObject(created);
    }
    // The glyphs of the caption buttons.
    HFONT symbols = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, "Marlett");
    EXPECT_EQ(Realise(symbols).face, "Marlett");
    DeleteObject(symbols);

    Click(5, false);
    ExpectEndWithCode0();
}
