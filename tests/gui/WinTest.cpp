#include "GuiTestSupport.h"
#include "gui/Ctl.h"
#include "gui/Win.h"
#include "runtime/Rt.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>

static std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// ---- Opening, placing and closing windows

using WinOpening = GuiTest;

TEST_F(WinOpening, FlagsZeroGiveAVisibleTitledWindowWithTheAskedClientArea)
{
    HWND window = WinOpen(0, 100, 80, 300, 200, 0, "Titled");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    SIZE client = ClientSize(window);
    EXPECT_EQ(client.cx, 300);
    EXPECT_EQ(client.cy, 200);
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.left, 100);
    EXPECT_EQ(outer.top, 80);
    char title[32] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Titled");
    EXPECT_EQ(ClassOf(window), "WindowClass_0");
    EXPECT_EQ(WinHandle(0), window);
    EXPECT_EQ(WinCurrentHandle(), window);
    EXPECT_EQ(WinInnerWidth(), 300);
    EXPECT_EQ(WinInnerHeight(), 200);
}

TEST_F(WinOpening, InvisibleWindowKeepsTheTitleBarHeightInItsOuterSize)
{
    HWND window = WinOpen(1, 10, 10, 250, 150, WinFlagInvisible, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    SIZE outerBefore = OuterSize(window);
    WinSetCaption(window, 0);
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION, 0);
    SIZE outerAfter = OuterSize(window);
    EXPECT_EQ(outerAfter.cx, outerBefore.cx);
    EXPECT_EQ(outerAfter.cy, outerBefore.cy);
    EXPECT_GT(ClientSize(window).cy, 150);
    WinHide(1, 0);
    EXPECT_TRUE(IsWindowVisible(window));
}

// From the asked client size: the system shrinks a window larger than the screen.
static POINT ScreenCentredCorner(int width, int height)
{
    RECT outer = {0, 0, width, height};
    AdjustWindowRect(&outer, WS_CAPTION, FALSE);
    int outerWidth = outer.right - outer.left, outerHeight = outer.bottom - outer.top;
    return {GetSystemMetrics(SM_CXSCREEN) / 2 - outerWidth / 2, GetSystemMetrics(SM_CYSCREEN) / 2 - outerHeight / 2};
}

static POINT Corner(HWND window)
{
    RECT outer;
    GetWindowRect(window, &outer);
    return {outer.left, outer.top};
}

TEST_F(WinOpening, CentresOnTheScreenEvenWhenLargerThanIt)
{
    HWND small = WinOpen(0, 5, 5, 300, 200, WinFlagCentre, "small");
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(Corner(small).x, ScreenCentredCorner(300, 200).x);
    EXPECT_EQ(Corner(small).y, ScreenCentredCorner(300, 200).y);
    EXPECT_EQ(ClientSize(small).cx, 300);

    HWND large = WinOpen(1, 5, 5, 1300, 1000, WinFlagCentre | WinFlagInvisible, "large");
    ASSERT_NE(large, nullptr);
    POINT corner = Corner(large);
    EXPECT_LT(corner.x, 0);
    EXPECT_LT(corner.y, 0);
    EXPECT_EQ(corner.x, ScreenCentredCorner(1300, 1000).x);
    EXPECT_EQ(corner.y, ScreenCentredCorner(1300, 1000).y);
}

static POINT CentredOn(HWND active, HWND window)
{
    RECT a;
    GetWindowRect(active, &a);
    SIZE outer = OuterSize(window);
    LONG x = a.left - outer.cx / 2 + (a.right - a.left) / 2;
    LONG y = a.top - outer.cy / 2 + (a.bottom - a.top) / 2;
    return {x < 0 ? 0 : x, y < 0 ? 0 : y};
}

TEST_F(WinOpening, CentresOnTheActiveWindowNeverAtANegativePosition)
{
    HWND active = WinOpen(0, 150, 120, 500, 400, 0, "active");
    ASSERT_TRUE(Activate(active));
    HWND onActive = WinOpen(1, 0, 0, 200, 100, WinFlagCentreOnActive | WinFlagInvisible, "on active");
    EXPECT_EQ(Corner(onActive).x, CentredOn(active, onActive).x);
    EXPECT_EQ(Corner(onActive).y, CentredOn(active, onActive).y);
    EXPECT_NE(Corner(onActive).x, ScreenCentredCorner(200, 100).x);

    HWND bothFlags = WinOpen(2, 0, 0, 120, 80, WinFlagCentre | WinFlagCentreOnActive | WinFlagInvisible, "both");
    EXPECT_EQ(Corner(bothFlags).x, CentredOn(active, bothFlags).x);
    EXPECT_EQ(Corner(bothFlags).y, CentredOn(active, bothFlags).y);

    HWND larger = WinOpen(3, 0, 0, 900, 700, WinFlagCentreOnActive | WinFlagInvisible, "larger");
    EXPECT_EQ(Corner(larger).x, 0);
    EXPECT_EQ(Corner(larger).y, 0);
}

TEST_F(WinOpening, CentresOnTheScreenWhenNoWindowIsActive)
{
    ASSERT_TRUE(PumpUntil([] { return GetActiveWindow() == nullptr; }));
    HWND window = WinOpen(0, 0, 0, 200, 100, WinFlagCentreOnActive | WinFlagInvisible, "alone");
    EXPECT_EQ(Corner(window).x, ScreenCentredCorner(200, 100).x);
    EXPECT_EQ(Corner(window).y, ScreenCentredCorner(200, 100).y);
}

TEST_F(WinOpening, ReopeningANumberDestroysTheOldWindowAndRenewsItsClass)
{
    HWND reference = WinOpen(5, 0, 0, 50, 50, WinFlagInvisible, "reference");
    ULONG_PTR defaultBrush = GetClassLongPtrA(reference, GCLP_HBRBACKGROUND);
    HWND old = WinOpen(4, 0, 0, 100, 100, WinFlagInvisible, "old");
    WinSetColor(old, RGB(1, 2, 3));
    ASSERT_NE(GetClassLongPtrA(old, GCLP_HBRBACKGROUND), defaultBrush);

    HWND renewed = WinOpen(4, 0, 0, 100, 100, WinFlagInvisible, "new");
    ASSERT_NE(renewed, nullptr);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(WinHandle(4), renewed);
    // Only a class that was unregistered comes back with the default brush.
    EXPECT_EQ(GetClassLongPtrA(renewed, GCLP_HBRBACKGROUND), defaultBrush);

    WinClose(4);
    WNDCLASSA description;
    EXPECT_FALSE(GetClassInfoA(RtInstance, "WindowClass_4", &description));
    EXPECT_FALSE(IsWindow(renewed));
    EXPECT_EQ(WinHandle(4), nullptr);
}

TEST_F(WinOpening, NumbersOutsideTheTableAddressNoWindow)
{
    EXPECT_EQ(WinOpen(-1, 0, 0, 10, 10, 0, "negative"), nullptr);
    EXPECT_EQ(WinHandle(-1), nullptr);
    EXPECT_EQ(WinHandle(100000), nullptr);
    WinClose(-3);
    WinClose(100000);
    HWND distant = WinOpen(25, 0, 0, 60, 40, WinFlagInvisible, "distant");
    ASSERT_NE(distant, nullptr);
    EXPECT_EQ(WinHandle(25), distant);
    EXPECT_EQ(ClassOf(distant), "WindowClass_25");
    EXPECT_EQ(WinUse(26), nullptr);
    EXPECT_EQ(WinCurrentHandle(), nullptr);
    EXPECT_EQ(WinHide(26, 1), FALSE);
    EXPECT_EQ(WinUse(25), distant);
}

static std::vector<HWND> destroyedWindows;

static LRESULT CALLBACK RecordDestruction(HWND window, UINT message, WPARAM, LPARAM)
{
    if (message == WM_DESTROY)
        destroyedWindows.push_back(window);
    return WinDefault;
}

TEST_F(WinOpening, WinEndClosesTheHighestNumberFirst)
{
    std::vector<HWND> opened;
    for (int window = 0; window < 4; window++)
        opened.push_back(WinOpen(window, 20 * window, 20 * window, 100, 60, WinFlagInvisible, "end"));
    destroyedWindows.clear();
    WinSetCallback(RecordDestruction);
    WinEnd();
    EXPECT_EQ(destroyedWindows, (std::vector<HWND>{opened[3], opened[2], opened[1], opened[0]}));
    for (int window = 0; window < 4; window++)
        EXPECT_EQ(WinHandle(window), nullptr);
}

TEST_F(WinOpening, SetColorRepaintsTheWindowInTheNewColour)
{
    // Unregistering a class deletes its brush: closing a window must not
    // take the background that the other windows share with it.
    WinOpen(1, 0, 0, 50, 50, WinFlagInvisible, "closed");
    WinClose(1);
    HWND window = WinOpen(0, 40, 40, 300, 200, 0, "colour");
    ASSERT_TRUE(PumpUntil([&] { return ClientPixel(window, 150, 100) == GetSysColor(COLOR_BTNFACE); }))
        << std::hex << ClientPixel(window, 150, 100) << " " << GetSysColor(COLOR_BTNFACE);
    const COLORREF colour = RGB(200, 30, 60);
    WinSetColor(window, colour);
    EXPECT_TRUE(PumpUntil([&] { return ClientPixel(window, 150, 100) == colour; }))
        << std::hex << ClientPixel(window, 150, 100);
}

// A panel keeps the room of the frame a titled window of its client size
// would have, and the last one made lies on top of the others.
TEST_F(WinOpening, AChildIsAsLargeAsATitledWindowAndOnTop)
{
    HWND parent = WinOpen(0, 0, 0, 600, 400, WinFlagInvisible, "parent");
    HWND titled = WinOpen(5, 30, 30, 200, 100, WinFlagInvisible, "titled");
    SIZE outer = OuterSize(titled);
    ASSERT_GT(outer.cy, 100);

    HWND first = WinOpenChild(1, 0, 30, 30, 200, 100, WS_CHILD | WS_CLIPCHILDREN, 0);
    HWND second = WinOpenChild(2, 0, 10, 10, 50, 50, WS_CHILD | WS_VISIBLE, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetParent(first), parent);
    EXPECT_EQ(GetWindowLongPtrA(first, GWL_STYLE) & (WS_CHILD | WS_CAPTION | WS_VISIBLE), WS_CHILD);
    EXPECT_EQ(GetWindowLongPtrA(second, GWL_STYLE) & WS_VISIBLE, 0) << "a child is made hidden";
    SIZE client = ClientSize(first);
    EXPECT_EQ(client.cx, outer.cx);
    EXPECT_EQ(client.cy, outer.cy);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), second) << "the last child made is not on top";

    EXPECT_EQ(WinOpenChild(3, 9, 0, 0, 10, 10, WS_CHILD, 0), nullptr) << "no parent window";
    EXPECT_EQ(WinOpenChild(-1, 0, 0, 0, 10, 10, WS_CHILD, 0), nullptr);
}

// ---- Events through real windows and input

class WinEvents : public GuiTest {
protected:
    HWND window = nullptr;

    void SetUp() override
    {
        // With a close box, as a user would have it.
        window = WinOpen(0, 50, 50, 400, 300, WS_CAPTION | WS_SYSMENU, "events");
        ASSERT_NE(window, nullptr);
        ASSERT_NE(CtlUseWindow(window), nullptr);
        ASSERT_TRUE(Activate(window));
        DrainEvents();
    }
};

TEST_F(WinEvents, AButtonClickGivesAControlEventWithItsNumber)
{
    HWND button = CtlButton(7, 10, 10, 100, 30, "Click");
    PostClick(button, 10, 10);
    std::vector<int> seen;
    ASSERT_TRUE(WaitForEvent(WinEvControl, &seen));
    EXPECT_EQ(WinEventControl(), 7);
    EXPECT_EQ(WinEventType(), BN_CLICKED);
}

static bool SawControlEventFrom(int control, HWND otherButton, int otherControl)
{
    // Input is handled in order: once the other button's click is through,
    // any event of the first click has been returned.
    bool saw = false;
    RealClick(otherButton);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < GuiDeadlineMs) {
        int result = NextWaitEvent();
        if (result == WinEvControl && WinEventControl() == control)
            saw = true;
        if (result == WinEvControl && WinEventControl() == otherControl)
            return saw;
    }
    ADD_FAILURE() << "the second click gave no event";
    return saw;
}

TEST_F(WinEvents, ADisabledButtonGivesNoEventToRealClicks)
{
    HWND button = CtlButton(7, 10, 10, 100, 30, "Target");
    HWND other = CtlButton(8, 10, 60, 100, 30, "Other");
    RealClick(button);
    EXPECT_TRUE(SawControlEventFrom(7, other, 8));

    EXPECT_EQ(CtlDisable(7, 1), FALSE);
    RealClick(button);
    EXPECT_FALSE(SawControlEventFrom(7, other, 8));

    EXPECT_NE(CtlDisable(7, 0), FALSE);
    RealClick(button);
    EXPECT_TRUE(SawControlEventFrom(7, other, 8));
}

TEST_F(WinEvents, ListBoxClickAndDoubleClickGiveTypesZeroAndTwo)
{
    HWND list = CtlListBox(5, 10, 10, 200, 150);
    for (const char* line : {"first", "second", "third"})
        CtlAddItem(5, -1, line);
    int lineHeight = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    int secondLineY = lineHeight + lineHeight / 2;

    PostClick(list, 20, secondLineY);
    std::vector<int> seen;
    ASSERT_TRUE(WaitForEvent(WinEvControl, &seen));
    EXPECT_EQ(WinEventControl(), 5);
    EXPECT_EQ(WinEventType(), 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
    // The mouse press that gave the list box the focus reported no event.
    EXPECT_EQ(seen.front(), WM_LBUTTONDOWN);

    PostDoubleClick(list, 20, secondLineY);
    ASSERT_TRUE(WaitForEvent(WinEvControl));
    EXPECT_EQ(WinEventControl(), 5);
    EXPECT_EQ(WinEventType(), 2);
}

TEST_F(WinEvents, ACloseRequestGives16AndTheWindowStays)
{
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    std::vector<int> seen;
    ASSERT_TRUE(WaitForEvent(WinEvClose, &seen));
    DrainEvents();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(WinHandle(0), window);
}

TEST_F(WinEvents, SizeChangeAndRelayedMouseMessagesReachALaterWait)
{
    SendMessageA(window, WinMsgIcon, 42, WM_LBUTTONUP);
    ASSERT_TRUE(WaitForEvent(WinEvIcon));
    EXPECT_EQ(WinEventControl(), 42);
    EXPECT_EQ(WinEventType(), 0);

    SetWindowPos(window, nullptr, 0, 0, 420, 330, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(WaitForEvent(WinEvSize));
    EXPECT_EQ(WinEventControl(), 42);

    SendMessageA(window, WinMsgIcon, 9, WM_MOUSEMOVE);
    EXPECT_TRUE(WaitForEvent(WinMsgIconPosted));
    EXPECT_EQ(WinEventControl(), 9);

    SendMessageA(window, WinMsgIcon, 11, WM_RBUTTONDBLCLK);
    ASSERT_TRUE(WaitForEvent(WinEvIcon));
    EXPECT_EQ(WinEventControl(), 11);
    EXPECT_EQ(WinEventType(), 3);
}

static std::vector<int> PressTab(bool withShift, HWND expectedFocus)
{
    RealKey(VK_TAB, withShift);
    std::vector<int> seen;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < GuiDeadlineMs) {
        // Done once the focus has moved and the queue has gone quiet.
        int result = NextWaitEvent(200);
        if (result != -1)
            seen.push_back(result);
        else if (GetFocus() == expectedFocus)
            break;
    }
    return seen;
}

static bool Contains(const std::vector<int>& results, int value)
{
    return std::find(results.begin(), results.end(), value) != results.end();
}

TEST_F(WinEvents, TabAndShiftTabMoveTheFocusInOrderAndWrap)
{
    HWND first = CtlButton(1, 10, 10, 80, 25, "one");
    HWND second = CtlButton(2, 10, 40, 80, 25, "two");
    CtlText(3, 10, 70, 80, 20, "not a stop");
    HWND list = CtlListBox(4, 100, 10, 120, 80);
    CtlButton(5, 10, 100, 80, 25, "disabled");
    CtlDisable(5, 1);
    HWND hidden = CtlButton(6, 10, 130, 80, 25, "hidden");
    ShowWindow(hidden, SW_HIDE);

    SetFocus(first);
    std::vector<int> seen = PressTab(false, second);
    EXPECT_EQ(GetFocus(), second);
    EXPECT_TRUE(Contains(seen, WM_KEYDOWN));
    EXPECT_FALSE(Contains(seen, WM_CHAR)) << "the Tab press was translated instead of consumed";
    EXPECT_FALSE(Contains(seen, WinEvControl));

    PressTab(false, list);
    EXPECT_EQ(GetFocus(), list);
    PressTab(false, first);
    EXPECT_EQ(GetFocus(), first);
    PressTab(true, list);
    EXPECT_EQ(GetFocus(), list);
    PressTab(true, second);
    EXPECT_EQ(GetFocus(), second);
}

TEST_F(WinEvents, WithoutAFocusedControlTabGoesToTheFirstAndShiftTabToTheLast)
{
    HWND first = CtlButton(1, 10, 10, 80, 25, "one");
    HWND last = CtlButton(2, 10, 40, 80, 25, "two");
    SetFocus(window);
    PressTab(false, first);
    EXPECT_EQ(GetFocus(), first);
    SetFocus(window);
    PressTab(true, last);
    EXPECT_EQ(GetFocus(), last);
}

static LRESULT CALLBACK SuppressCommandAndClose(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_COMMAND || message == WM_CLOSE ? 0 : WinDefault;
}

// A close request sent outside the wait is returned by the next wait, unless
// its event was suppressed; the posted marker then is.
static int ResultAfterSentClose(HWND window)
{
    const UINT marker = WM_APP + 5;
    SendMessageA(window, WM_CLOSE, 0, 0);
    PostMessageA(window, marker, 0, 0);
    return NextWaitEvent();
}

TEST_F(WinEvents, TheUserCallbackCanSuppressCommandsAndCloseRequests)
{
    HWND button = CtlButton(7, 10, 10, 100, 30, "Click");
    WinSetCallback(SuppressCommandAndClose);
    PostClick(button, 10, 10);
    std::vector<int> seen;
    ASSERT_TRUE(WaitForEvent(WM_LBUTTONUP, &seen));
    EXPECT_FALSE(Contains(seen, WinEvControl));
    EXPECT_EQ(ResultAfterSentClose(window), (int)WM_APP + 5);
    EXPECT_TRUE(IsWindow(window));

    WinSetCallback(nullptr);
    EXPECT_EQ(ResultAfterSentClose(window), WinEvClose);
    PostClick(button, 10, 10);
    EXPECT_TRUE(WaitForEvent(WinEvControl));
}

TEST_F(WinEvents, PollOnAnEmptyQueueReturns0AndKeepsTheControlNumber)
{
    SendMessageA(window, WinMsgIcon, 77, WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([] { return WinEventControl() == 77; }));
    ASSERT_TRUE(PumpUntil([] { return WinPollEvent() == 0; }));
    EXPECT_EQ(WinPollEvent(), 0);
    EXPECT_EQ(WinEventControl(), 77);
}
