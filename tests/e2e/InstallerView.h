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

// A window's client area in screen coordinates.
RECT ClientOnScreen(HWND window);
// The rounded outline of the window's top-level window, in screen
// coordinates: it cuts the logo's top corners. Its whole rectangle when it
// has none. The caller deletes it.
HRGN OutlineOnScreen(HWND window);

// What is wrong with the logo on the screen ("" when nothing is), judged
// against the 96-dpi picture that the payload stores: at every point inside
// one of its large single-colour areas (the letters, the background) the
// picture control's client area shows that colour, within a tolerance, at
// the place any correct scaling puts it. Points the window's outline cuts
// off, that its ancestors hide or that `covered` covers are not judged.
// Given an ink and a paper, the picture's white areas must show the paper
// and its coloured ones the ink instead (a contrast theme's logo).
std::string LogoDrawnWrong(const ScreenImage& screen, HWND logoControl, const RECT& covered = {},
                           COLORREF ink = CLR_INVALID, COLORREF paper = CLR_INVALID);

// What is not drawn yet, in words ("" once all is drawn): of the window, its
// logo, panels, buttons with their texts or picture, the credit line and the
// log lines in view; of a message box, its frame, its title bar with the
// title and the close box's glyph, its text and its OK button.
std::string UnpaintedInWindow(const InstallerProcess& installer, const ScreenImage& screen);
std::string UnpaintedInBox(const MessageBoxContent& box, const ScreenImage& screen);

// A state that is not on the screen yet is waited for, up to the deadline;
// one that is there and wrong is not. The screen is final once it has
// stayed the same this long while the installer answered messages (so had
// nothing left to paint), and a log line drawn in other colours is wrong
// as soon as two captures in a row show it so.
constexpr DWORD PaintDeadlineMs = 20000;
constexpr DWORD PaintSettledMs = 3000;

// Captures the screen until the window (and the box, when given) has painted
// completely. Otherwise `shown` is the last capture and `missing` says what
// it lacks, and whether that was final or the deadline passed.
bool WaitForPainted(const InstallerProcess& installer, const MessageBoxContent* box, ScreenImage& shown,
                    std::string& missing, DWORD timeoutMs = PaintDeadlineMs);
// The box's icon as the screen shows it: `expected` as soon as it is there,
// another once two unchanged captures in a row show it, Unrecognised when
// the screen is final without any, or at the deadline.
BoxIcon WaitForIcon(HWND iconControl, BoxIcon expected, DWORD timeoutMs = PaintDeadlineMs);
