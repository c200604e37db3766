#pragma once
// Waits for a state with a deadline, handling this thread's messages
// meanwhile; never a fixed sleep.
#include <windows.h>

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = 20000)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
    return true;
}
