#include "app/window/WindowLog.h"
#include "app/Texts.h"
#include "app/window/Installer.h"
#include "gui/Ctl.h"
#include "runtime/Req.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"

// The pause after each step, so that the caret can be seen to follow.
constexpr DWORD WindowLogStepPauseMs = 10;

// The line the caret stands on: the window's, for as long as it shows its list.
static int WindowLogCaretLine;

// Lines are added to the log undrawn and shown together at the next step:
// once the log is longer than it is high, every line added and every caret
// move redrew its scroll bar, which cost more than writing the files.
// Drawing turned back on, the log is marked for a repaint whole, its frame
// and scroll bar too: Windows leaves that to the window itself. The list
// counts as hidden while it takes up drawing again, or its scroll bar,
// appearing, would be drawn there and then, and again as the list takes
// its new width; its pixels stay on the screen meanwhile.
static void WindowLogHoldDrawing(int held)
{
    HWND list = CtlHandle(LogList);
    if (held) {
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        return;
    }
    SetWindowLongPtrA(list, GWL_STYLE, GetWindowLongPtrA(list, GWL_STYLE) & ~(LONG_PTR)WS_VISIBLE);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    // The style read again: showing the scroll bar changed it.
    SetWindowLongPtrA(list, GWL_STYLE, GetWindowLongPtrA(list, GWL_STYLE) | WS_VISIBLE);
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void WindowLogShow()
{
    WindowLogHoldDrawing(0);
}

static int WindowLogLine(void*, const char* text)
{
    WindowLogHoldDrawing(1);
    return CtlAddItem(LogList, -1, text) >= 0 ? 1 : 0;
}

// The caret follows the newest line. A single-selection list box refuses to
// move its caret while a line is selected, so the selection goes first.
static int WindowLogStep(void*, int lines)
{
    WindowLogCaretLine += lines;
    HWND list = CtlHandle(LogList);
    SendMessageW(list, LB_SETCURSEL, (WPARAM)-1, 0);
    SendMessageW(list, LB_SETCARETINDEX, (WPARAM)WindowLogCaretLine, 0);
    WindowLogHoldDrawing(0);
    RtSleep(WindowLogStepPauseMs);
    return 1;
}

// The log is drawn again first: it may have been held undrawn for the
// step's lines, and the box stands over it. Unlike the installer's other
// messages, its lines are not set in by blanks: a program's name may make
// the first one wrap.
static int WindowLogAskHeld(void* state, unsigned char language, const char* name, const char* holders)
{
    WindowLogStep(state, 0);
    TempStr text = LogHeldSentence(TextHeldQuestion, language, name, holders);
    int pressed = ReqMessage(TextIn(TextHeldTitle, language), text, MB_RETRYCANCEL | MB_ICONWARNING);
    StrRewind(text);
    return pressed == IDRETRY;
}

// The window says how it ended with a box of its own.
static void WindowLogEnd(void*, unsigned char, unsigned, int)
{
}

// A named constant: a braced value returned would be copied from writable data.
static const LogSink WindowLog = {nullptr, WindowLogLine, WindowLogStep, WindowLogAskHeld, WindowLogEnd};

const LogSink& WindowLogSink()
{
    return WindowLog;
}
