#pragma once
// What the user sees: the virtual display captured pixel by pixel, saved as
// BMP files for people to look at, and message-box icons recognised by their
// pixels (another process's icon handle can't be read).
#include <windows.h>
#include <string>
#include <vector>

struct ScreenImage {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;   // top row first
    COLORREF At(int x, int y) const { return pixels[(size_t)y * width + x]; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

ScreenImage CaptureScreen();
// The picture drawn by GDI from a BMP file's bytes, at its own size or
// stretched as StretchBlt does by default.
ScreenImage DecodeBitmapFile(const unsigned char* start, int width = 0, int height = 0);
// Saves under QUILLFERN_SCREENSHOTS (when set) as <name>.bmp.
void SaveScreenshot(const ScreenImage& image, const std::string& name);

enum class BoxIcon { Information, Warning, Error, Unrecognised };
const char* BoxIconName(BoxIcon icon);
// Compares the icon control's pixels with each system icon drawn on the
// box's background; the closest one wins if it is close enough.
BoxIcon RecogniseIcon(HWND iconControl);
