#pragma once
// The installer window: a borderless rounded main window holding the logo
// band, the log panel and the button panel, coloured by ColourCallback.
#include "gui/Fnt.h"
#include <windows.h>

extern HBRUSH CreditBrush;
extern HBRUSH ListBrush;

constexpr int MainWindow = 0;
constexpr int LogoImage = 11;
constexpr int CancelImage = 19;

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

inline HFONT LoadInstallerFont(const InstallerFont& font)
{
    return FntLoad(font.number, font.face, font.points, font.flags);
}

void BuildInstallerWindow();
LRESULT CALLBACK ColourCallback(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
