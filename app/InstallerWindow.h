#pragma once
// The installer window: a borderless rounded main window holding the logo
// band, the log panel and the button panel, coloured by ColourCallback.
#include <windows.h>

extern HBRUSH CreditBrush;
extern HBRUSH ListBrush;

constexpr int LogoImage = 11;
constexpr int CancelImage = 19;

void BuildInstallerWindow();
LRESULT CALLBACK ColourCallback(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
