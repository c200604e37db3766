#include "ScreenCheck.h"
#include "InstallerDriver.h"
#include <cstdlib>
#include <fstream>

// A 32-bit top-down DIB section to draw into and read back.
struct DrawingSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    DWORD* bits = nullptr;
    int width = 0;
    int height = 0;

    DrawingSurface(int w, int h) : width(w), height(h)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, (void**)&bits, nullptr, 0);
        previous = SelectObject(dc, bitmap);
    }
    ~DrawingSurface()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    ScreenImage Image() const
    {
        GdiFlush();
        ScreenImage image;
        image.width = width;
        image.height = height;
        for (int i = 0; i < width * height; i++) {
            DWORD pixel = bits[i];
            image.pixels.push_back(RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF));
        }
        return image;
    }
};

ScreenImage CaptureScreen()
{
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    DrawingSurface surface(width, height);
    HDC screen = GetDC(nullptr);
    BitBlt(surface.dc, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return surface.Image();
}

ScreenImage Crop(const ScreenImage& image, RECT area)
{
    RECT whole = {0, 0, image.width, image.height};
    IntersectRect(&area, &area, &whole);
    ScreenImage part;
    part.width = area.right - area.left;
    part.height = area.bottom - area.top;
    for (int y = area.top; y < area.bottom; y++) {
        for (int x = area.left; x < area.right; x++)
            part.pixels.push_back(image.At(x, y));
    }
    return part;
}

int ColourDistance(COLORREF a, COLORREF b)
{
    return abs(GetRValue(a) - GetRValue(b)) + abs(GetGValue(a) - GetGValue(b)) + abs(GetBValue(a) - GetBValue(b));
}

void SaveScreenshot(const ScreenImage& image, const std::string& name)
{
    SaveImage(image, FolderFromEnvironment("QUILLFERN_SCREENSHOTS"), name);
}

void SaveImage(const ScreenImage& image, const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return;
    CreateDirectoryA(folder.c_str(), nullptr);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = image.width;
    info.biHeight = -image.height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    DWORD pixelBytes = (DWORD)image.pixels.size() * 4;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixelBytes;
    std::ofstream out(folder + name + ".bmp", std::ios::binary);
    out.write((const char*)&file, sizeof file);
    out.write((const char*)&info, sizeof info);
    for (COLORREF colour : image.pixels) {
        unsigned char bgra[4] = {GetBValue(colour), GetGValue(colour), GetRValue(colour), 0};
        out.write((const char*)bgra, 4);
    }
}

const char* BoxIconName(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Information:
        return "information";
    case BoxIcon::Warning:
        return "warning";
    case BoxIcon::Error:
        return "error (stop)";
    default:
        return "unrecognised";
    }
}

static long long Difference(const ScreenImage& a, const ScreenImage& b)
{
    long long sum = 0;
    for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); i++)
        sum += ColourDistance(a.pixels[i], b.pixels[i]);
    return sum;
}

BoxIcon RecogniseIcon(HWND iconControl)
{
    return RecogniseIcon(iconControl, CaptureScreen());
}

BoxIcon RecogniseIcon(HWND iconControl, const ScreenImage& screen)
{
    RECT client;
    if (!iconControl || !GetClientRect(iconControl, &client) || client.right <= 0 || client.bottom <= 0)
        return BoxIcon::Unrecognised;
    POINT origin = {0, 0};
    ClientToScreen(iconControl, &origin);
    ScreenImage shown = Crop(screen, {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
    if (shown.width != client.right || shown.height != client.bottom)
        return BoxIcon::Unrecognised;
    // The system icons leave their corners transparent.
    COLORREF background = shown.At(0, 0);
    static const struct {
        LPCSTR resource;
        BoxIcon icon;
    } candidates[] = {
        {IDI_INFORMATION, BoxIcon::Information}, {IDI_WARNING, BoxIcon::Warning}, {IDI_ERROR, BoxIcon::Error}};
    BoxIcon best = BoxIcon::Unrecognised;
    long long bestDifference = -1;
    for (const auto& candidate : candidates) {
        DrawingSurface surface(shown.width, shown.height);
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(surface.dc, &client, brush);
        DeleteObject(brush);
        // The system's own image of that size: a box on a scaled display
        // shows a larger one, not the usual one stretched.
        auto icon = (HICON)LoadImageA(nullptr, candidate.resource, IMAGE_ICON, shown.width, shown.height, 0);
        DrawIconEx(surface.dc, 0, 0, icon, shown.width, shown.height, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
        long long difference = Difference(shown, surface.Image());
        if (bestDifference < 0 || difference < bestDifference) {
            bestDifference = difference;
            best = candidate.icon;
        }
    }
    // Close enough: on average under 8 levels per colour channel.
    long long limit = (long long)shown.width * shown.height * 3 * 8;
    return bestDifference <= limit ? best : BoxIcon::Unrecognised;
}
