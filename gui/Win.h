#pragma once
// Numbered windows and their events. Every numbered window has a class of its
// own ("WindowClass_<number>") so that its background can change alone; all
// of them share one window procedure that turns messages into event codes.
// The service's sources, one concern each: WinTable.cpp (the numbered table
// and the classes), WinOpen.cpp (opening, placing, closing), WinProc.cpp (the
// window procedure), WinEvent.cpp (waiting and polling), WinTab.cpp (Tab),
// WinDpi.cpp (the scale).
#include <windows.h>

// Event codes of WinWaitEvent and WinPollEvent. Any other non-zero value is
// the number of the message that was handled without recording an event.
// A close request and a new size are told by the number of their message.
constexpr int WinEvControl = 13100;
constexpr int WinEvMenu = 13101;
constexpr int WinEvIcon = 13102;
constexpr int WinEvClose = WM_CLOSE;
constexpr int WinEvSize = WM_SIZE;

// A child window whose own identifier (GWLP_ID) is this one reports its
// commands as WinEvMenu rather than WinEvControl: a number of this service,
// not of the system.
constexpr int WinMenuIdentifier = -10000;

// Private messages: a mouse notification from outside (wParam an identifier,
// lParam a mouse message number), and the posted forms that wake the wait.
constexpr UINT WinMsgIcon = 12501;
constexpr UINT WinMsgIconPosted = 12502;
constexpr UINT WinMsgSizePosted = 12504;

// Accelerator commands of Tab and Shift+Tab.
constexpr WORD WinCmdNext = 1212;
constexpr WORD WinCmdPrevious = 1213;

// Flags of WinOpen; all other bits are window style bits.
constexpr DWORD WinFlagCentre = 1;
constexpr DWORD WinFlagCentreOnActive = 2;      // wins over WinFlagCentre
// WS_VISIBLE's own bit, read the other way round: WinOpen flips it, so that
// a window is made visible unless the flag is given.
constexpr DWORD WinFlagInvisible = WS_VISIBLE;

// A user callback returns this when the built-in handling is to run: a
// value of the service's own, which no message this program answers has
// for its result.
constexpr LRESULT WinDefault = (LRESULT)0xE0E0E0E1u;
using WinCallback = LRESULT(CALLBACK*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void WinInit();
void WinEnd();                                  // closes every window, highest number first

// Width and height are those of the client area. Returns 0 on failure.
HWND WinOpen(int window, int x, int y, int width, int height, DWORD flags, const char* title);
// Moves and sizes an open window where WinOpen would place it now, with the
// same arguments, at the present scale: its frame is the one the flags
// describe, whatever its style is (a child of WinOpenChild has none).
void WinPlaceAgain(int window, int x, int y, int width, int height, DWORD flags);
// A hidden child of the parent window, with the styles given, as large as a
// titled window of that client size would be (WinPlaceAgain places it with
// the flag WinFlagInvisible); on top of its siblings.
HWND WinOpenChild(int window, int parentWindow, int x, int y, int width, int height, DWORD style,
                  DWORD extendedStyle);
void WinClose(int window);
HWND WinHandle(int window);
HWND WinUse(int window);
HWND WinCurrentHandle();
int WinInnerWidth();
int WinInnerHeight();
BOOL WinHide(int window, int hide);

// The dots per inch the windows are laid out for: at first those of the
// monitor where centred windows open (the system's where the monitor's
// cannot be asked; 96 when neither can be read), then whatever WinSetDpi
// set. A length laid out for 96 dpi is WinScale(length) pixels at it.
constexpr int WinLayoutDpi = 96;
int WinDpi();
// The window moved to another scale (WM_DPICHANGED); 0, and nothing set, for
// a value no display has.
int WinSetDpi(int dpi);
int WinScale(int length);

void WinSetColor(HWND window, COLORREF colour);
void WinSetCaption(HWND window, int present);
void WinSetCallback(WinCallback callback);

LRESULT CALLBACK WinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int WinWaitEvent();
int WinPollEvent();                             // 0 when no message was waiting
// Waits until one of the objects is signalled and returns its index (-1 when
// the wait fails), handling the thread's messages meanwhile, so that its
// windows keep painting and answering. A close request met meanwhile is
// returned by the next WinWaitEvent or WinPollEvent.
int WinWaitObjects(const HANDLE* objects, int count);
int WinEventControl();
// −1 when unset; 0 click or selection, 1 right click, 2 double click, 3 right
// double click, or a notification's own code or value.
int WinEventType();

void WinFocusNext();
void WinFocusPrevious();
// A key (a virtual-key code, no modifier) that, while the window is active,
// sends its command as an accelerator: an event WinEvMenu with the command
// for control. Returns 0 when the window is not open or memory is short.
int WinAddShortcut(int window, WORD virtualKey, WORD command);
