#pragma once
// Numbered images decoded from memory into display-compatible bitmaps:
// Windows bitmap files, as the program's pictures are.
#include <windows.h>

void ImgInit();
HANDLE ImgDecode(int image, const void* address);      // the bitmap; 0 on failure
HBITMAP ImgCreate(int image, int width, int height);    // blank, black
void ImgFree(int image);
// Replaces the bitmap under the number by a smoothed copy numerator /
// denominator times its size (rounded as MulDiv rounds), once, so that
// showing it needs no stretching. Returns the bitmap now held; at its own
// size the image stays as it is.
HANDLE ImgScale(int image, int numerator, int denominator);
// Redraws the bitmap under the number in two colours: each pixel takes the
// ink as far as it is dark, the paper as far as it is light, so that its
// edges stay smooth. Returns 0 for an empty number or a failure, which
// leave the image as it was.
int ImgRecolour(int image, COLORREF ink, COLORREF paper);

int ImgCapacity();
