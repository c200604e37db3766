#include "gui/Fnt.h"
#include "gui/Img.h"
#include "Payload.h"
#include "support/BitmapFile.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <vector>

// ---- Images

static int ScreenDepth()
{
    HDC screen = GetDC(nullptr);
    int depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    return depth;
}

static BITMAP Describe(HANDLE bitmap)
{
    BITMAP description = {};
    GetObjectA(bitmap, sizeof description, &description);
    return description;
}

// The bitmap's pixels as 0x00RRGGBB values, top row first.
static std::vector<unsigned> PixelsOf(HANDLE bitmap)
{
    BITMAP description = Describe(bitmap);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = description.bmWidth;
    format.bmiHeader.biHeight = -description.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<unsigned> pixels((size_t)description.bmWidth * description.bmHeight);
    HDC memory = CreateCompatibleDC(nullptr);
    GetDIBits(memory, (HBITMAP)bitmap, 0, description.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
    DeleteDC(memory);
    for (unsigned& pixel : pixels)
        pixel &= 0xFFFFFF;
    return pixels;
}

static std::vector<unsigned> PixelsOfFile(const unsigned char* file)
{
    return ReadBitmapFile(file).pixels;
}

TEST(Images, PayloadPicturesBecomeDisplayBitmapsWithTheirOwnColours)
{
    ImgInit();
    HANDLE logo = ImgDecode(11, LogoBitmapStart);
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(GetObjectType(logo), (DWORD)OBJ_BITMAP);
    BITMAP description = Describe(logo);
    EXPECT_EQ(description.bmWidth, 546);
    EXPECT_EQ(description.bmHeight, 99);
    EXPECT_EQ(description.bmBitsPixel * description.bmPlanes, ScreenDepth());
    EXPECT_EQ(ImgCapacity(), 21);
    ASSERT_GE(ScreenDepth(), 24) << "colours compare exactly only at full colour";
    EXPECT_TRUE(PixelsOf(logo) == PixelsOfFile(LogoBitmapStart));

    HANDLE button = ImgDecode(19, ButtonBitmapStart);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(Describe(button).bmWidth, 16);
    EXPECT_EQ(Describe(button).bmHeight, 16);
    EXPECT_EQ(ImgCapacity(), 21);
    EXPECT_TRUE(PixelsOf(button) == PixelsOfFile(ButtonBitmapStart));
    ImgFree(19);
    ImgFree(11);
    EXPECT_EQ(GetObjectType(logo), 0u);
}

// At its own size a picture stays the very bitmap it was decoded into (a
// 96-dpi display); at another it is replaced, and only the copy is left.
TEST(Images, ResizingReplacesTheBitmapOnlyAtAnotherSize)
{
    ImgInit();
    HANDLE logo = ImgDecode(11, LogoBitmapStart);
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(ImgScale(11, 96, 96), logo);
    EXPECT_TRUE(PixelsOf(logo) == PixelsOfFile(LogoBitmapStart));
    HANDLE larger = ImgScale(11, 3, 2);
    ASSERT_NE(larger, nullptr);
    EXPECT_NE(larger, logo);
    EXPECT_EQ(GetObjectType(logo), 0u) << "the original is released";
    EXPECT_EQ(Describe(larger).bmWidth, 819);
    EXPECT_EQ(Describe(larger).bmHeight, 149);
    EXPECT_EQ(Describe(larger).bmBitsPixel * Describe(larger).bmPlanes, ScreenDepth());
    // The logo's white band stays white; its letters are drawn into the copy.
    std::vector<unsigned> pixels = PixelsOf(larger);
    EXPECT_EQ(pixels[0], PixelsOfFile(LogoBitmapStart)[0]);
    EXPECT_GT(std::count_if(pixels.begin(), pixels.end(), [&](unsigned pixel) { return pixel != pixels.front(); }),
              819 * 149 / 20);
    ImgFree(11);
    EXPECT_EQ(GetObjectType(larger), 0u);
    EXPECT_EQ(ImgScale(11, 2, 1), nullptr) << "an empty number";
}

TEST(Images, DecodingUnderAUsedNumberReleasesTheOldImage)
{
    ImgInit();
    HANDLE first = ImgDecode(3, LogoBitmapStart);
    HANDLE second = ImgDecode(3, ButtonBitmapStart);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetObjectType(first), 0u);
    HBITMAP blank = ImgCreate(3, 5, 4);
    EXPECT_EQ(GetObjectType(second), 0u);
    EXPECT_EQ(PixelsOf(blank), std::vector<unsigned>(20, 0));
    ImgFree(3);
    EXPECT_EQ(GetObjectType(blank), 0u);
    ImgFree(3);
    ImgFree(-1);
    ImgFree(100000);
    EXPECT_EQ(ImgDecode(-1, ButtonBitmapStart), nullptr);
    EXPECT_EQ(ImgCreate(-1, 4, 4), nullptr);
    EXPECT_EQ(ImgDecode(2, nullptr), nullptr);
}

TEST(Images, DataOfNoKnownFormatGivesNothingAndLeavesTheNumberAlone)
{
    ImgInit();
    // An icon file's directory: no picture of the program is one.
    static const char unknown[] = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0};
    HANDLE picture = ImgDecode(1, ButtonBitmapStart);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(ImgDecode(1, unknown), nullptr);
    EXPECT_EQ(GetObjectType(picture), (DWORD)OBJ_BITMAP);
    ImgFree(1);
}

// ---- Fonts

static LOGFONTA Describe(HFONT font)
{
    LOGFONTA description = {};
    GetObjectA(font, sizeof description, &description);
    return description;
}

TEST(Fonts, PointsBecomePixelsAtTheScreensResolution)
{
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    DeleteDC(screen);
    int nine = Describe(FntLoad(0, "Arial", 9, 0)).lfHeight;
    int eleven = Describe(FntLoad(1, "Arial", 11, 0)).lfHeight;
    EXPECT_EQ(nine, -MulDiv(9, pixelsPerInch, 72));
    EXPECT_EQ(eleven, -MulDiv(11, pixelsPerInch, 72));
    if (pixelsPerInch == 96) {
        EXPECT_EQ(nine, -12);
        EXPECT_EQ(eleven, -15);
    }
}

TEST(Fonts, FlagsGiveWeightItalicQualityAndLines)
{
    LOGFONTA boldItalic = Describe(FntLoad(2, "Times New Roman", 9, FntBold | FntItalic | FntHighQuality));
    EXPECT_EQ(boldItalic.lfWeight, 700);
    EXPECT_EQ(boldItalic.lfItalic, 1);
    EXPECT_EQ(boldItalic.lfQuality, PROOF_QUALITY);
    EXPECT_EQ(boldItalic.lfUnderline, 0);
    EXPECT_EQ(boldItalic.lfStrikeOut, 0);
    EXPECT_STREQ(boldItalic.lfFaceName, "Times New Roman");
    EXPECT_EQ(boldItalic.lfCharSet, DEFAULT_CHARSET);

    LOGFONTA bold = Describe(FntLoad(3, "Arial", 11, 0x110));
    EXPECT_EQ(bold.lfWeight, 700);
    EXPECT_EQ(bold.lfItalic, 0);
    EXPECT_EQ(bold.lfQuality, PROOF_QUALITY);

    LOGFONTA plain = Describe(FntLoad(4, "Arial", 11, 0));
    EXPECT_EQ(plain.lfWeight, 400);
    EXPECT_EQ(plain.lfQuality, DEFAULT_QUALITY);

    LOGFONTA lined = Describe(FntLoad(5, "Arial", 11, FntUnderline | FntStrikeOut));
    EXPECT_EQ(lined.lfUnderline, 1);
    EXPECT_EQ(lined.lfStrikeOut, 1);
    EXPECT_EQ(lined.lfWeight, 400);
}

TEST(Fonts, ReloadingANumberDeletesTheEarlierFontAndTheTableGrowsBy10)
{
    FntInit();
    EXPECT_EQ(FntCapacity(), 10);
    HFONT first = FntLoad(6, "Arial", 9, 0);
    HFONT second = FntLoad(6, "Arial", 12, 0);
    EXPECT_EQ(GetObjectType(first), 0u);
    EXPECT_EQ(GetObjectType(second), (DWORD)OBJ_FONT);
    EXPECT_NE(FntLoad(200, "Arial", 9, 0), nullptr);
    EXPECT_EQ(FntCapacity(), 210);
    EXPECT_EQ(FntLoad(-1, "Arial", 9, 0), nullptr);
    EXPECT_NE(FntLoad(7, nullptr, 9, 0), nullptr);
}
