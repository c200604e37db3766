#pragma once
// The installer window's pictures, made from the payload at the window's
// scale and, in a contrast theme, in the theme's colours.
#include <windows.h>

enum WindowPicture : unsigned char {
    PictureLogo,
    PictureCancel,          // the cancel button's
    PictureCount,
    PictureNone = PictureCount
};

// Makes every picture anew, each replacing, and freeing, the one its image
// number held: a control still showing the old one is to be handed the new.
void WindowPicturesMake(HANDLE made[PictureCount]);
// Frees them; whatever shows them is not to paint again.
void WindowPicturesFree();
