#pragma once
// Driving numbered windows in tests: waiting for events and states with
// deadlines, posted mouse messages and real input through SendInput.
#include "support/RealInput.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <functional>
#include <vector>

constexpr DWORD GuiDeadlineMs = 10000;

// The next result of WinWaitEvent, called only once a message is waiting so
// that the test never blocks; -1 when none came before the deadline.
int NextWaitEvent(DWORD timeoutMs = GuiDeadlineMs);

// Waits (WinWaitEvent) until it returns `code`; every result, the last one
// included, is appended to *seen when given.
bool WaitForEvent(int code, std::vector<int>* seen = nullptr, DWORD timeoutMs = GuiDeadlineMs);

// Handles messages (WinPollEvent) until the condition holds.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = GuiDeadlineMs);

// Polls until the queue is empty.
void DrainEvents();

// Makes the window the foreground and active window, for real input.
bool Activate(HWND window);

void PostClick(HWND window, int x, int y);          // client coordinates
void PostDoubleClick(HWND window, int x, int y);
void RealClick(HWND window);                        // at the window's centre

COLORREF ClientPixel(HWND window, int x, int y);
SIZE ClientSize(HWND window);
SIZE OuterSize(HWND window);

// Every test ends with no numbered window and no user callback.
class GuiTest : public testing::Test {
protected:
    void TearDown() override;
};
