#pragma once
// Numbered controls. The control number is also the control's child
// identifier, so control events (WinEvControl) carry it. Controls are made in
// the window chosen with CtlUseWindow; buttons, texts and list boxes get the
// creation font.
#include <windows.h>

void CtlInit();
HWND CtlUseWindow(HWND window);
HWND CtlButton(int control, int x, int y, int width, int height, const char* text);
HWND CtlText(int control, int x, int y, int width, int height, const char* text);
HWND CtlListBox(int control, int x, int y, int width, int height);
HWND CtlImageButton(int control, int x, int y, int width, int height, HANDLE image);
HWND CtlImage(int control, int x, int y, int width, int height, HANDLE image, DWORD extendedStyle);
HWND CtlHandle(int control);

// Position −1 appends. The list box's answer (index, LB_ERR or LB_ERRSPACE);
// 0 for kinds that take no lines.
int CtlAddItem(int control, int position, const char* text);
// On a list box selects the line equal to the text, letter case aside, and
// clears the selection when there is none.
LRESULT CtlSetText(int control, const char* text);
// The control's name for screen readers, kept as its window text without
// the control's own handling of a new text: a picture would take the text
// for the name of a resource to load in place of its image.
BOOL CtlSetName(int control, const char* name);
// Control −1 sets the creation font; the font CtlDefaultFontMarker() stands
// for the default font (ANSI_VAR_FONT).
void CtlSetFont(int control, HFONT font);
inline HFONT CtlDefaultFontMarker()
{
    return (HFONT)(INT_PTR)-1;
}
BOOL CtlDisable(int control, int disable);

int CtlCapacity();
