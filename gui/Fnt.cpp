#include "Fnt.h"
#include "runtime/Rt.h"
#include "runtime/StrWide.h"

static struct {
    HFONT* table;
    int capacity;
} Fnt;

void FntInit()
{
    Fnt = {};
    RtTableReserve((void**)&Fnt.table, &Fnt.capacity, 0, 10, sizeof(HFONT));
}

int FntCapacity()
{
    return Fnt.capacity;
}

int FntScreenDpi()
{
    int pixelsPerInch = 0;
    HDC screen = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    if (screen) {
        pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
        DeleteDC(screen);
    }
    return pixelsPerInch;
}

HFONT FntLoad(int font, const char* face, int points, DWORD flags)
{
    return FntLoadForDpi(font, face, points, flags, FntScreenDpi());
}

HFONT FntLoadForDpi(int font, const char* face, int points, DWORD flags, int dpi)
{
    if (font < 0 || !RtTableReserve((void**)&Fnt.table, &Fnt.capacity, font, 10, sizeof(HFONT)))
        return nullptr;
    // The earlier font goes first, even when the new one cannot be made.
    if (Fnt.table[font])
        DeleteObject(Fnt.table[font]);
    Fnt.table[font] = nullptr;
    int weight = (flags & FntBold) ? FW_BOLD : FW_NORMAL;
    DWORD quality = (flags & FntHighQuality) ? PROOF_QUALITY : DEFAULT_QUALITY;
    HeapWideStr wideFace = StrToWide(face ? face : "");
    // Negative: the system matches the character height, not the cell height.
    HFONT created = CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, weight, (flags & FntItalic) ? 1 : 0,
                                (flags & FntUnderline) ? 1 : 0, (flags & FntStrikeOut) ? 1 : 0, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH | FF_DONTCARE,
                                wideFace);
    RtFree(wideFace);
    Fnt.table[font] = created;
    return created;
}
