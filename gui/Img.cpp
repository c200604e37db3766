#include "Img.h"
#include "ScopedDc.h"
#include "runtime/Rt.h"

struct ImgRecord {
    HBITMAP handle;     // 0 = empty
    short width;
    short height;
};

static struct {
    ImgRecord* table;
    int capacity;
} Img;

void ImgInit()
{
    Img = {};
    RtTableReserve((void**)&Img.table, &Img.capacity, 0, 10, sizeof(ImgRecord));
}

int ImgCapacity()
{
    return Img.capacity;
}

static int ImgReserve(int image)
{
    return image >= 0 && RtTableReserve((void**)&Img.table, &Img.capacity, image, 10, sizeof(ImgRecord));
}

void ImgFree(int image)
{
    if (image < 0 || image >= Img.capacity)
        return;
    ImgRecord* record = &Img.table[image];
    if (!record->handle)
        return;
    DeleteObject(record->handle);
    record->handle = nullptr;
}

static void ImgClearToBlack(HBITMAP bitmap, int width, int height)
{
    ScopedDc memory(CreateCompatibleDC(nullptr));
    ScopedSelection chosen(memory.dc, bitmap);
    if (chosen.Chosen())
        PatBlt(memory.dc, 0, 0, width, height, BLACKNESS);
}

HBITMAP ImgCreate(int image, int width, int height)
{
    if (!ImgReserve(image))
        return nullptr;
    ImgFree(image);
    ScopedDc screen(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (!screen.dc)
        return nullptr;
    HBITMAP bitmap = CreateCompatibleBitmap(screen.dc, width, height);
    if (bitmap) {
        Img.table[image] = {bitmap, (short)width, (short)height};
        ImgClearToBlack(bitmap, width, height);
    }
    return bitmap;
}

// HALFTONE averages the source pixels that each target pixel covers: a
// picture keeps its lines when it grows by a fraction. The brush origin must
// be set again after choosing that mode.
static void ImgStretch(HBITMAP from, int fromWidth, int fromHeight, HBITMAP to, int width, int height)
{
    ScopedDc source(CreateCompatibleDC(nullptr));
    ScopedDc target(CreateCompatibleDC(nullptr));
    if (!source.dc || !target.dc)
        return;
    ScopedSelection sourceChosen(source.dc, from);
    ScopedSelection targetChosen(target.dc, to);
    if (!sourceChosen.Chosen() || !targetChosen.Chosen())
        return;
    SetStretchBltMode(target.dc, HALFTONE);
    SetBrushOrgEx(target.dc, 0, 0, nullptr);
    StretchBlt(target.dc, 0, 0, width, height, source.dc, 0, 0, fromWidth, fromHeight, SRCCOPY);
}

HANDLE ImgScale(int image, int numerator, int denominator)
{
    if (image < 0 || image >= Img.capacity)
        return nullptr;
    ImgRecord kept = Img.table[image];
    int width = MulDiv(kept.width, numerator, denominator);
    int height = MulDiv(kept.height, numerator, denominator);
    if (!kept.handle || (kept.width == width && kept.height == height))
        return kept.handle;
    // The original must outlive the new bitmap's creation, which frees what the number holds.
    Img.table[image].handle = nullptr;
    HBITMAP resized = ImgCreate(image, width, height);
    if (!resized) {
        Img.table[image] = kept;
        return kept.handle;
    }
    ImgStretch(kept.handle, kept.width, kept.height, resized, width, height);
    DeleteObject(kept.handle);
    return resized;
}

// A pixel at least this dark (0 white, 255 black) takes the ink alone: a
// picture's mid-tone inks count as ink, not as a shade between the two.
constexpr int ImgFullInk = 128;

static BYTE ImgBlend(BYTE ink, BYTE paper, int weight)
{
    return (BYTE)(paper + ((int)ink - paper) * weight / 255);
}

static void ImgRecolourPixels(RGBQUAD* pixels, int count, COLORREF ink, COLORREF paper)
{
    for (int i = 0; i < count; i++) {
        RGBQUAD& pixel = pixels[i];
        int luma = (299 * pixel.rgbRed + 587 * pixel.rgbGreen + 114 * pixel.rgbBlue) / 1000;
        int darkness = 255 - luma;
        int weight = darkness >= ImgFullInk ? 255 : darkness * 255 / ImgFullInk;
        pixel.rgbRed = ImgBlend(GetRValue(ink), GetRValue(paper), weight);
        pixel.rgbGreen = ImgBlend(GetGValue(ink), GetGValue(paper), weight);
        pixel.rgbBlue = ImgBlend(GetBValue(ink), GetBValue(paper), weight);
    }
}

int ImgRecolour(int image, COLORREF ink, COLORREF paper)
{
    if (image < 0 || image >= Img.capacity)
        return 0;
    const ImgRecord& record = Img.table[image];
    if (!record.handle)
        return 0;
    BITMAPINFO format = {};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), record.width, -record.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    int count = record.width * record.height;
    auto* pixels = (RGBQUAD*)RtAllocUnzeroed((SIZE_T)count * sizeof(RGBQUAD));
    ScopedDc memory(CreateCompatibleDC(nullptr));
    HBITMAP bitmap = record.handle;
    int done = 0;
    if (pixels && memory.dc && GetDIBits(memory.dc, bitmap, 0, (UINT)record.height, pixels, &format, DIB_RGB_COLORS)) {
        ImgRecolourPixels(pixels, count, ink, paper);
        done = SetDIBits(memory.dc, bitmap, 0, (UINT)record.height, pixels, &format, DIB_RGB_COLORS) != 0;
    }
    RtFree(pixels);
    return done;
}

// ---- Reading the data

static DWORD ImgRead16(const BYTE* at)
{
    return at[0] | (DWORD)at[1] << 8;
}

static DWORD ImgRead32(const BYTE* at)
{
    return ImgRead16(at) | ImgRead16(at + 2) << 16;
}

// A blank bitmap under the number, then the pixels converted into it by the
// system. 0 when no memory device context can be had; the number then keeps
// the blank bitmap.
static HANDLE ImgCreateWithPixels(int image, int width, int lines, const void* bits, const BITMAPINFO* format)
{
    HBITMAP bitmap = ImgCreate(image, width, lines);
    if (!bitmap)
        return nullptr;
    ScopedDc memory(CreateCompatibleDC(nullptr));
    if (!memory.dc)
        return nullptr;
    SetDIBits(memory.dc, bitmap, 0, (UINT)lines, bits, format, DIB_RGB_COLORS);
    return bitmap;
}

// The pixel bits and the information header are used in place, as stored.
static HANDLE ImgDecodeBitmapFile(int image, const BYTE* file)
{
    const BYTE* header = file + 14;
    int width = (int)ImgRead32(header + 4);
    int height = (int)ImgRead32(header + 8);
    int lines = height < 0 ? -height : height;   // a negative height stores the rows top-down
    const BYTE* bits = file + ImgRead32(file + 10);
    return ImgCreateWithPixels(image, width, lines, bits, (const BITMAPINFO*)header);
}

HANDLE ImgDecode(int image, const void* address)
{
    if (image < 0 || !address)
        return nullptr;
    auto* data = (const BYTE*)address;
    if (data[0] != 'B' || data[1] != 'M')
        return nullptr;
    return ImgDecodeBitmapFile(image, data);
}
