// Window service: waiting for and polling one message, and the event that its
// handling recorded.
#include "WinState.h"

static HACCEL WinActiveAcceleratorTable(HWND active)
{
    if (!active)
        return nullptr;
    for (int window = 0; window < Win.capacity; window++) {
        if (Win.table[window].handle == active)
            return Win.table[window].acceleratorTable;
    }
    return nullptr;
}

// The message is the caller's own: a callback may wait again re-entrantly.
static int WinHandleMessage(MSG* message)
{
    HWND active = GetActiveWindow();
    HACCEL table = WinActiveAcceleratorTable(active);
    if (!table || !TranslateAcceleratorW(active, table, message)) {
        TranslateMessage(message);
        DispatchMessageW(message);
    }
    int result = Win.eventCode ? Win.eventCode : (int)message->message;
    Win.eventCode = 0;
    return result;
}

// A close request met while waiting on objects, handed to the next wait or
// poll for an event: the caller decides when to honour it.
static int WinClosePending;

// The next event: the next message, waited for or only one already waiting
// (0 when there is none).
static int WinNextEvent(int wait)
{
    Win.eventType = -1;
    if (WinClosePending) {
        WinClosePending = 0;
        return WinEvClose;
    }
    MSG message = {};
    if (wait)
        GetMessageW(&message, nullptr, 0, 0);
    else if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        return 0;
    return WinHandleMessage(&message);
}

int WinWaitEvent()
{
    return WinNextEvent(1);
}

int WinPollEvent()
{
    return WinNextEvent(0);
}

int WinEventControl()
{
    return Win.eventControl;
}

int WinEventType()
{
    return Win.eventType;
}

int WinWaitObjects(const HANDLE* objects, int count)
{
    for (;;) {
        // Messages already seen by a box's or a dialog's own loop, and left
        // queued, wake the wait too: without MWMO_INPUTAVAILABLE they would
        // wait for new input, the window unanswered meanwhile.
        DWORD woken = MsgWaitForMultipleObjectsEx((DWORD)count, objects, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken < WAIT_OBJECT_0 + (DWORD)count)
            return (int)(woken - WAIT_OBJECT_0);
        if (woken != WAIT_OBJECT_0 + (DWORD)count)
            return -1;
        MSG message = {};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (WinHandleMessage(&message) == WinEvClose)
                WinClosePending = 1;
        }
    }
}
