#pragma once
// The installer window: a borderless rounded main window holding the logo
// band, the log panel and the button panel, coloured by WindowTheme.h, its
// focus kept by WindowFocus.h.
#include "app/window/WindowFocus.h"
#include "gui/Fnt.h"
#include "gui/Win.h"
#include <windows.h>

// A font of the installer: number, face, size in points and style flags.
struct InstallerFont {
    int number;
    const char* face;
    int points;
    DWORD flags;
};
constexpr InstallerFont CreditFont = {18, "Times New Roman", 9, FntHighQuality | FntBold | FntItalic};
constexpr InstallerFont ListFont = {200, "Arial", 9, FntHighQuality | FntBold};
constexpr InstallerFont ButtonFont = {17, "Arial", 11, FntHighQuality | FntBold | FntItalic};

// At the scale the window is laid out for.
inline HFONT LoadInstallerFont(const InstallerFont& font)
{
    return FntLoadForDpi(font.number, font.face, font.points, font.flags, WinDpi());
}

// Builds the window at the scale of the monitor it opens on; it is built
// again, its controls kept, whenever Windows moves it to another scale.
void BuildInstallerWindow();
// Deletes the brushes and frees the images that the window was built with;
// the windows themselves end with the program.
void ReleaseInstallerWindow();
