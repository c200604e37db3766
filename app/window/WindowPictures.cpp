#include "app/window/WindowPictures.h"
#include "app/window/WindowColours.h"
#include "gui/Img.h"
#include "gui/Win.h"
#include "payload/Payload.h"

// Where a picture comes from, and the colours it takes in a contrast theme:
// the theme's text colour on its background (the logo on the window colour,
// the cancel button's picture on the button face).
struct PictureSource {
    int image;
    const unsigned char* data;
    WindowPart ink, paper;
};

static const PictureSource Sources[PictureCount] = {
    {11, LogoBitmapStart, PartLogoInk, PartLogoPaper},
    {19, ButtonBitmapStart, PartPictureInk, PartPicturePaper},
};

// A payload picture at the window's scale, stretched once here from the
// payload's own: a picture stretched twice would blur.
static HANDLE DecodeScaled(int image, const void* data)
{
    if (!ImgDecode(image, data))
        return nullptr;
    return ImgScale(image, WinDpi(), WinLayoutDpi);
}

static HANDLE ProducePicture(const PictureSource& source)
{
    HANDLE picture = DecodeScaled(source.image, source.data);
    if (picture && WindowColoursHighContrast())
        ImgRecolour(source.image, WindowColour(source.ink), WindowColour(source.paper));
    return picture;
}

void WindowPicturesMake(HANDLE made[PictureCount])
{
    for (int picture = 0; picture < PictureCount; picture++)
        made[picture] = ProducePicture(Sources[picture]);
}

// The cancel button's first, then the logo.
void WindowPicturesFree()
{
    for (int picture = PictureCount; picture-- > 0;)
        ImgFree(Sources[picture].image);
}
