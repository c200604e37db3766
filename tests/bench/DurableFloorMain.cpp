// The durable floor as a program of its own. It starts the window system, as
// any installer does (the display driver answers the screen's size; the
// thread gets its message queue), then writes the four files durably under
// the folder named on its command line. Exit code 0 when every file was
// written and read back whole.
//   durable_floor <host folder ending in a backslash>          # the silent floor
//   durable_floor <host folder ending in a backslash> window   # the window's floor
// With `window` it shows a window with one button; its click writes the
// files, makes the installer's pauses and shows the installer's completion
// message, so that both are timed from a click to the same message.
#include "DurableFloor.h"
#include "app/Texts.h"
#include <windows.h>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

constexpr int FloorButtonId = 1;

static bool FloorWritten;

// The completion message as the installer's box shows it: each line of the
// row set in by six blanks.
static std::string CompletionText()
{
    std::string text;
    for (const char* c = TextIn(TextCompleted, LanguageFrench); *c; c++) {
        if (*c != '\n' && (text.empty() || text.back() == '\n'))
            text += "      ";
        text += *c;
    }
    return text;
}

static void ShowCompletion(HWND owner)
{
    wchar_t title[64], text[256];
    MultiByteToWideChar(CP_UTF8, 0, TextIn(TextInfoTitle, LanguageFrench), -1, title, std::size(title));
    MultiByteToWideChar(CP_UTF8, 0, CompletionText().c_str(), -1, text, std::size(text));
    MessageBoxW(owner, text, title, MB_OK | MB_ICONINFORMATION);
}

static LRESULT CALLBACK FloorProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == FloorButtonId) {
        FloorWritten = WriteFilesDurably(__argv[1]);
        for (int i = 0; i < FloorPauses; i++)
            Sleep(FloorPauseMs);
        ShowCompletion(window);
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static int RunFloorWindow(HINSTANCE instance)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = FloorProcedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = FloorWindowClass;
    if (!RegisterClassA(&windowClass))
        return 2;
    HWND window = CreateWindowA(FloorWindowClass, "Durable floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                                CW_USEDEFAULT, 480, 360, nullptr, nullptr, instance, nullptr);
    if (!window || !CreateWindowA("BUTTON", "Install", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 120, 30, window,
                                  (HMENU)(INT_PTR)FloorButtonId, instance, nullptr))
        return 2;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return FloorWritten ? 0 : 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc < 2 || GetSystemMetrics(SM_CXSCREEN) <= 0)
        return 2;
    if (__argc > 2 && strcmp(__argv[2], "window") == 0)
        return RunFloorWindow(instance);
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    return WriteFilesDurably(__argv[1]) ? 0 : 1;
}
