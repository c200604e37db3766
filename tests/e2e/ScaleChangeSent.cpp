// Linked into a test build of the installer only, never into the shipped
// program. Wine gives every monitor the one system scale and never sends
// WM_DPICHANGED, whose rectangle is a pointer that no other process can hand
// over: this build sends the message to its own window when a test asks with
// a ScaleChange, so that its handling runs as when Windows moves the window.
// Its hook takes the building of the window over; the main window is
// subclassed once it stands.
#include "ScaleChangeSent.h"
#include "app/AppHook.h"

static WNDPROC InstallerProcedure;
static HWND Main;

static LRESULT CALLBACK ListenForScaleChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* data = (const COPYDATASTRUCT*)lParam;
    if (message == WM_COPYDATA && data && data->dwData == ScaleChangeTag && data->cbData == sizeof(ScaleChange)) {
        const auto* change = (const ScaleChange*)data->lpData;
        RECT suggested = change->suggested;
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(change->dpi, change->dpi), (LPARAM)&suggested);
        return TRUE;
    }
    return CallWindowProcW(InstallerProcedure, window, message, wParam, lParam);
}

// The main window is window 0 of the window service.
static BOOL CALLBACK TakeMain(HWND window, LPARAM)
{
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (lstrcmpW(name, L"WindowClass_0") != 0)
        return TRUE;
    Main = window;
    return FALSE;
}

static void BuildListeningWindow()
{
    BuildInstallerWindowUnhooked();
    EnumThreadWindows(GetCurrentThreadId(), TakeMain, 0);
    if (Main)
        InstallerProcedure = (WNDPROC)SetWindowLongPtrW(Main, GWLP_WNDPROC, (LONG_PTR)ListenForScaleChange);
}

extern const AppHookTable AppHooks = {
    .BuildInstallerWindow = BuildListeningWindow,
};
