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
// The part of the image inside `area` (screen coordinates), clipped to it.
ScreenImage Crop(const ScreenImage& image, RECT area);
// Summed over the three channels: 0 for equal colours, up to 765.
int ColourDistance(COLORREF a, COLORREF b);
// Saves as <folder><name>.bmp (the folder ends in a backslash; none: nothing saved).
void SaveImage(const ScreenImage& image, const std::string& folder, const std::string& name);
// Saves under QUILLFERN_SCREENSHOTS (when set) as <name>.bmp.
void SaveScreenshot(const ScreenImage& image, const std::string& name);

enum class BoxIcon { Information, Warning, Error, Unrecognised };
const char* BoxIconName(BoxIcon icon);
// Compares the icon control's pixels with each system icon drawn on the
// box's background; the closest one wins if it is close enough.
BoxIcon RecogniseIcon(HWND iconControl);
// The same, on a capture of the screen.
BoxIcon RecogniseIcon(HWND iconControl, const ScreenImage& screen);
