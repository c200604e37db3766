#pragma once
// Numbered fonts, sized in points for the screen's vertical resolution.
#include <windows.h>

constexpr DWORD FntUnderline = 0x4;
constexpr DWORD FntStrikeOut = 0x8;
constexpr DWORD FntHighQuality = 0x10;
constexpr DWORD FntBold = 0x100;
constexpr DWORD FntItalic = 0x200;

void FntInit();
// The screen's vertical resolution in dots per inch, which FntLoad sizes by.
int FntScreenDpi();
// Deletes the font the number held before; 0 when the system makes no font.
HFONT FntLoad(int font, const char* face, int points, DWORD flags);
// The same for a display of `dpi` dots per inch rather than the screen's
// vertical resolution: a window on a monitor of another scale.
HFONT FntLoadForDpi(int font, const char* face, int points, DWORD flags, int dpi);

int FntCapacity();
