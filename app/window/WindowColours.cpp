#include "app/window/WindowColours.h"
#include "app/AppHook.h"

// Packed: the table is five bytes a part, not eight.
struct [[gnu::packed]] PartColours {
    COLORREF own;
    unsigned char system;   // the GetSysColor index in the contrast theme
};

static const PartColours Parts[PartCount] = {
    {0xDCB26B, COLOR_BTNFACE},
    {0xFFFFFF, COLOR_WINDOW},
    {0xDED7CE, COLOR_BTNFACE},
    {0xD0C0AF, COLOR_BTNFACE},
    {0x7D230E, COLOR_WINDOWTEXT},
    {0xFFFFFF, COLOR_WINDOW},
    {CLR_INVALID, COLOR_BTNTEXT},
    {0xDED7CE, COLOR_BTNFACE},
    {CLR_INVALID, COLOR_WINDOWTEXT},
    {CLR_INVALID, COLOR_WINDOW},
    {CLR_INVALID, COLOR_BTNTEXT},
    {CLR_INVALID, COLOR_BTNFACE},
};

// The system colours the theme's parts take, as last followed: a theme
// changed for another while on repaints too.
static const unsigned char ThemeColours[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT};
constexpr int ThemeColourCount = sizeof ThemeColours / sizeof ThemeColours[0];

static int HighContrast;
static COLORREF Followed[ThemeColourCount];

int WindowColoursSystemHighContrastUnhooked()
{
    HIGHCONTRASTW theme = {};
    theme.cbSize = sizeof theme;
    if (!SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof theme, &theme, 0))
        return 0;
    return (theme.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

int WindowColoursSystemHighContrast()
{
    if (AppHooks.WindowColoursSystemHighContrast)
        return AppHooks.WindowColoursSystemHighContrast();
    return WindowColoursSystemHighContrastUnhooked();
}

int WindowColoursFollow(int highContrast)
{
    int changed = (highContrast != 0) != (HighContrast != 0);
    for (int i = 0; i < ThemeColourCount; i++) {
        COLORREF now = GetSysColor(ThemeColours[i]);
        changed = changed || (highContrast && now != Followed[i]);
        Followed[i] = now;
    }
    HighContrast = highContrast != 0;
    return changed;
}

int WindowColoursHighContrast()
{
    return HighContrast;
}

COLORREF WindowColour(WindowPart part)
{
    if (part >= PartCount)
        return CLR_INVALID;
    return HighContrast ? GetSysColor(Parts[part].system) : Parts[part].own;
}
