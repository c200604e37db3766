#pragma once
// The installer as the user sees it on the screen: whether its window and
// its message box have painted completely. A picture taken earlier shows
// panels in the main window's colour, no logo, no button texts or a message
// box without its frame: nothing a Windows user would ever see.
#include "InstallerDriver.h"
#include "ScreenCheck.h"
#include <string>

constexpr COLORREF LogPanelColour = 0xDED7CE;
constexpr COLORREF ButtonPanelColour = 0xD0C0AF;
constexpr COLORREF ListTextColour = 0x7D230E;
constexpr COLORREF White = 0xFFFFFF;

// Share of the logo's pixels, in a grid, that stand on the screen in the
// picture control's client area.
double LogoMatch(const ScreenImage& screen, HWND logoControl);

// What is not drawn yet, in words ("" once all is drawn): of the window, its
// logo, panels, buttons with their texts or picture, the credit line and the
// log lines in view; of a message box, its frame, its title bar with the
// title and the close box's glyph, its text and its OK button.
std::string UnpaintedInWindow(const InstallerProcess& installer, const ScreenImage& screen);
std::string UnpaintedInBox(const MessageBoxContent& box, const ScreenImage& screen);

// Captures the screen until the window (and the box, when given) has painted
// completely. On time-out `shown` is the last capture and `missing` says
// what it lacks.
bool WaitForPainted(const InstallerProcess& installer, const MessageBoxContent* box, ScreenImage& shown,
                    std::string& missing, DWORD timeoutMs = WindowDeadlineMs);
