#include "GuiTestSupport.h"
#include "gui/Ctl.h"
#include "gui/Img.h"
#include "gui/Win.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

class Controls : public GuiTest {
protected:
    HWND window = nullptr;

    void SetUp() override
    {
        // Hidden: a visible window costs Wine a wait for a window manager at its end.
        window = WinOpen(0, 30, 30, 500, 400, WinFlagInvisible, "controls");
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(CtlUseWindow(window), window);
        CtlSetFont(-1, CtlDefaultFontMarker());
    }
};

struct ExpectedKind {
    const char* windowClass;
    LONG_PTR style;
    LONG_PTR extendedStyle;
};

static void ExpectKind(HWND control, int number, HWND parent, const ExpectedKind& kind)
{
    ASSERT_NE(control, nullptr);
    char name[32] = {};
    GetClassNameA(control, name, sizeof name);
    EXPECT_STRCASEEQ(name, kind.windowClass);
    EXPECT_EQ(GetWindowLongPtrA(control, GWL_STYLE), kind.style) << name;
    EXPECT_EQ(GetWindowLongPtrA(control, GWL_EXSTYLE), kind.extendedStyle) << name;
    EXPECT_EQ(GetWindowLongPtrA(control, GWLP_ID), number);
    EXPECT_EQ(GetParent(control), parent);
    EXPECT_EQ(CtlHandle(number), control);
}

static std::string TextOf(HWND control)
{
    char text[64] = {};
    GetWindowTextA(control, text, sizeof text);
    return text;
}

TEST_F(Controls, EachKindHasItsClassStylesAndExtendedStyle)
{
    HBITMAP bitmap = ImgCreate(0, 16, 16);
    HICON icon = LoadIconA(nullptr, (LPCSTR)IDI_APPLICATION);
    ExpectKind(CtlButton(1, 10, 10, 90, 25, "Push"), 1, window, {"Button", 0x50030000 | BS_PUSHBUTTON, 0});
    ExpectKind(CtlText(2, 10, 40, 90, 20, "Text"), 2, window, {"Static", 0x50020000 | SS_LEFT, 0});
    // The list box shows its scroll bars, and their style bits, only when needed.
    ExpectKind(CtlListBox(3, 10, 70, 150, 100), 3, window, {"ListBox", 0x50030141, WS_EX_CLIENTEDGE});
    ExpectKind(CtlImageButton(4, 200, 10, 30, 30, bitmap), 4, window, {"Button", 0x50010000 | BS_BITMAP, 0});
    ExpectKind(CtlImageButton(5, 240, 10, 40, 40, icon), 5, window, {"Button", 0x50010000 | BS_ICON, 0});
    ExpectKind(CtlImage(6, 200, 60, 30, 30, nullptr, 0), 6, window, {"Static", 0x50000000 | SS_BITMAP, 0});
    ExpectKind(CtlImage(7, 240, 60, 40, 40, icon, WS_EX_STATICEDGE), 7, window,
               {"Static", 0x50000000 | SS_ICON, WS_EX_STATICEDGE});
    ExpectKind(CtlImage(8, 290, 60, 30, 30, bitmap, 0), 8, window, {"Static", 0x50000000 | SS_BITMAP, 0});
    for (int line = 0; line < 40; line++)
        CtlAddItem(3, -1, "a line long enough to need the horizontal scroll bar of this list");
    EXPECT_EQ(GetWindowLongPtrA(CtlHandle(3), GWL_STYLE) & WS_VSCROLL, WS_VSCROLL);
    EXPECT_EQ(TextOf(CtlHandle(1)), "Push");
    EXPECT_EQ(TextOf(CtlHandle(2)), "Text");
    EXPECT_EQ((HANDLE)SendMessageA(CtlHandle(4), BM_GETIMAGE, IMAGE_BITMAP, 0), bitmap);
    EXPECT_EQ((HANDLE)SendMessageA(CtlHandle(5), BM_GETIMAGE, IMAGE_ICON, 0), icon);
    EXPECT_EQ((HANDLE)SendMessageA(CtlHandle(8), STM_GETIMAGE, IMAGE_BITMAP, 0), bitmap);
    EXPECT_EQ((HANDLE)SendMessageA(CtlHandle(7), STM_GETIMAGE, IMAGE_ICON, 0), icon);
}

static HFONT FontOf(HWND control)
{
    return (HFONT)SendMessageA(control, WM_GETFONT, 0, 0);
}

TEST_F(Controls, TheCreationFontGoesToTextBearingKindsOnly)
{
    HFONT stock = (HFONT)GetStockObject(ANSI_VAR_FONT);
    HFONT chosen = CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    EXPECT_EQ(FontOf(CtlButton(1, 10, 10, 90, 25, "before")), stock);

    CtlSetFont(-1, chosen);
    EXPECT_EQ(FontOf(CtlHandle(1)), stock) << "existing controls keep their fonts";
    EXPECT_EQ(FontOf(CtlButton(2, 10, 40, 90, 25, "button")), chosen);
    EXPECT_EQ(FontOf(CtlText(3, 10, 70, 90, 20, "text")), chosen);
    EXPECT_EQ(FontOf(CtlListBox(4, 10, 100, 90, 60)), chosen);
    EXPECT_EQ(FontOf(CtlImageButton(5, 200, 10, 30, 30, ImgCreate(0, 8, 8))), nullptr);
    EXPECT_EQ(FontOf(CtlImage(6, 200, 50, 30, 30, nullptr, 0)), nullptr);

    // The default font, not the creation font, for −1 on a control.
    CtlSetFont(2, CtlDefaultFontMarker());
    EXPECT_EQ(FontOf(CtlHandle(2)), stock);
    CtlSetFont(3, stock);
    CtlSetFont(3, chosen);
    EXPECT_EQ(FontOf(CtlHandle(3)), chosen);
    CtlSetFont(-1, CtlDefaultFontMarker());
    EXPECT_EQ(FontOf(CtlButton(7, 10, 170, 90, 25, "after")), stock);
    CtlSetFont(99, chosen);
    CtlSetFont(-5, chosen);
    DeleteObject(chosen);
}

static std::vector<std::string> LinesOf(HWND list)
{
    std::vector<std::string> lines;
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; i++) {
        char text[64] = {};
        SendMessageA(list, LB_GETTEXT, i, (LPARAM)text);
        lines.push_back(text);
    }
    return lines;
}

TEST_F(Controls, AddItemInsertsAtTheGivenPositionWithoutSorting)
{
    HWND list = CtlListBox(3, 10, 10, 200, 150);
    EXPECT_EQ(CtlAddItem(3, -1, "zebra"), 0);
    EXPECT_EQ(CtlAddItem(3, -1, "apple"), 1);
    EXPECT_EQ(CtlAddItem(3, 0, "mango"), 0);
    EXPECT_EQ(CtlAddItem(3, 2, "kiwi"), 2);
    EXPECT_EQ(CtlAddItem(3, -1, nullptr), 4);
    EXPECT_EQ(LinesOf(list), (std::vector<std::string>{"mango", "zebra", "kiwi", "apple", ""}));
    EXPECT_EQ(CtlAddItem(3, 9, "beyond"), LB_ERR);

    HWND button = CtlButton(1, 250, 10, 90, 25, "Push");
    CtlText(2, 250, 40, 90, 20, "Text");
    CtlImage(4, 250, 70, 30, 30, nullptr, 0);
    for (int control : {1, 2, 4, 50, -1, 100000})
        EXPECT_EQ(CtlAddItem(control, -1, "line"), 0) << control;
    EXPECT_EQ(TextOf(button), "Push");
}

TEST_F(Controls, SetTextSelectsAListLineLetterCaseAsideOrSetsTheCaption)
{
    HWND list = CtlListBox(3, 10, 10, 200, 150);
    for (const char* line : {"Alpha", "kiwi", "Gamma"})
        CtlAddItem(3, -1, line);
    CtlSetText(3, "KIWI");
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
    CtlSetText(3, "gamma");
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
    CtlSetText(3, "gam");
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);

    HWND button = CtlButton(1, 250, 10, 90, 25, "Old");
    CtlSetText(1, "New");
    EXPECT_EQ(TextOf(button), "New");
    CtlSetText(1, nullptr);
    EXPECT_EQ(TextOf(button), "");
    CtlSetText(77, "nothing");
    CtlSetText(-2, "nothing");
}

TEST_F(Controls, DisableReportsThePreviousState)
{
    HWND button = CtlButton(1, 10, 10, 90, 25, "Push");
    EXPECT_EQ(CtlDisable(1, 1), FALSE);
    EXPECT_FALSE(IsWindowEnabled(button));
    EXPECT_NE(CtlDisable(1, 0), FALSE);
    EXPECT_TRUE(IsWindowEnabled(button));
    EXPECT_EQ(CtlDisable(42, 1), FALSE);
}

TEST_F(Controls, NoControlWithoutACreationWindowAndTheTableGrowsBy30)
{
    CtlInit();
    EXPECT_EQ(CtlCapacity(), 30);
    EXPECT_EQ(CtlButton(1, 10, 10, 90, 25, "orphan"), nullptr);
    EXPECT_EQ(CtlHandle(1), nullptr);
    EXPECT_EQ(CtlImage(2, 10, 10, 10, 10, nullptr, 0), nullptr);

    CtlUseWindow(window);
    HWND distant = CtlButton(100, 10, 10, 90, 25, "distant");
    ASSERT_NE(distant, nullptr);
    EXPECT_EQ(CtlCapacity(), 130);
    EXPECT_EQ(CtlHandle(100), distant);
    EXPECT_EQ(CtlHandle(129), nullptr);
    EXPECT_EQ(CtlButton(-1, 10, 10, 90, 25, "negative"), nullptr);
    EXPECT_EQ(CtlImageButton(-1, 10, 10, 90, 25, nullptr), nullptr);
}
