#pragma once
// The installer window's colours on the screen: the brushes of the credit
// line and the log, the main window's background, and the user's contrast
// theme followed while the window is open.
#include <windows.h>

// Follows the theme as it is now, makes the brushes and colours the main
// window; the panels take their colours as they are built.
void WindowThemeStart();
// Deletes the brushes.
void WindowThemeEnd();
// The installer's user callback (gui/Win): the credit line lies on the log
// panel's colour; the log is dark blue on white; in a contrast theme both
// take the theme's pairs. The main window follows the theme and keeps the
// focus on a control. Everything else keeps the window service's handling.
LRESULT CALLBACK ColourCallback(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
