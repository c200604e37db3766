#pragma once
// The installer window's keyboard: its keys, and where the focus goes.
#include <windows.h>

// Adds Escape and Enter, shows the focus as a dialog would and gives it to
// the first useful button.
void WindowFocusStart();
// Gives the focus to the first enabled button of the steps (a language, then
// Install, then Cancel); 0 when none is enabled.
int FocusUsefulButton();
// The main window activated or left (WM_ACTIVATE): the focus is kept while
// it is away and given back on its return. A window procedure's answer.
LRESULT WindowFocusFollowActivation(HWND main, WPARAM wParam);
