#include "app/window/WindowFocus.h"
#include "app/window/Installer.h"
#include "gui/Ctl.h"
#include "gui/Win.h"

// The buttons in the order the steps need them.
static const int StepButtons[] = {FrenchButton, EnglishButton, InstallButton, CancelButton};

// Escape and Enter reach the program as commands of the main window, which
// is the active one: its controls are in panels, not in a dialog.
static void AddKeys()
{
    WinAddShortcut(MainWindow, VK_ESCAPE, EscapeCommand);
    WinAddShortcut(MainWindow, VK_RETURN, EnterCommand);
}

void WindowFocusStart()
{
    AddKeys();
    // The focus is shown as the system shows it in a dialog: once the
    // keyboard is used, or from the start when it was used last.
    SendMessageW(WinHandle(MainWindow), WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEFOCUS), 0);
    FocusUsefulButton();
}

int FocusUsefulButton()
{
    for (int button : StepButtons) {
        HWND handle = CtlHandle(button);
        if (handle && IsWindowEnabled(handle) && IsWindowVisible(handle)) {
            SetFocus(handle);
            return 1;
        }
    }
    return 0;
}

// The control that had the focus when the window lost it to a box or
// another program, given it back when the window is active again; a
// control disabled meanwhile leaves the focus to the next useful button.
static HWND FocusBeforeLeaving;

LRESULT WindowFocusFollowActivation(HWND main, WPARAM wParam)
{
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        FocusBeforeLeaving = focus && IsChild(main, focus) ? focus : nullptr;
        return WinDefault;
    }
    HWND back = FocusBeforeLeaving;
    FocusBeforeLeaving = nullptr;
    if (back && IsWindow(back) && IsWindowEnabled(back) && IsWindowVisible(back)) {
        SetFocus(back);
        return 0;
    }
    return FocusUsefulButton() ? 0 : WinDefault;
}
