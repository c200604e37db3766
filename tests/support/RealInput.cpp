#include "RealInput.h"
#include "WaitFor.h"
#include <vector>

// Every event carries the point itself: a button event that relied on the
// pointer's last position could land where the previous click was, when the
// display reports the warp late.
void ClickWithMouseAt(POINT point)
{
    SetCursorPos(point.x, point.y);
    WaitFor([&] {
        POINT now;
        return GetCursorPos(&now) && now.x == point.x && now.y == point.y;
    }, 5000);
    INPUT inputs[3] = {};
    DWORD actions[3] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 3; i++) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = MulDiv(point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        inputs[i].mi.dy = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        inputs[i].mi.dwFlags = actions[i] | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    SendInput(3, inputs, sizeof(INPUT));
}

static INPUT KeyInput(WORD key, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void RealKey(WORD key, bool withShift)
{
    std::vector<INPUT> inputs;
    if (withShift)
        inputs.push_back(KeyInput(VK_SHIFT, false));
    inputs.push_back(KeyInput(key, false));
    inputs.push_back(KeyInput(key, true));
    if (withShift)
        inputs.push_back(KeyInput(VK_SHIFT, true));
    SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT));
}
