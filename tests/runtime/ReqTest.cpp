#include "support/ChildProcess.h"
#include "support/WaitFor.h"
#include "runtime/Req.h"
#include "support/Wide.h"
#include <gtest/gtest.h>
#include <string>
#include <thread>

static const char ForeignClass[] = "QuillfernForeignForeground";

static HWND OpenPlainWindow(const char* className, const char* title)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(window);
    return window;
}

// Another program that holds the foreground until asked to close.
CHILD_MODE(foreign_foreground)
{
    HWND window = OpenPlainWindow(ForeignClass, "Foreign");
    WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, 60000);
    return 0;
}

struct SeenBox {
    HWND owner = nullptr;
    std::string title, text;
    bool hasOk = false, hasYes = false, hasNo = false;
    bool foreignEnabled = false, ownerEnabled = true;
};

static BOOL CALLBACK TakeOwnMessageBox(HWND window, LPARAM result)
{
    char className[16] = {};
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    GetClassNameA(window, className, sizeof className);
    if (process != GetCurrentProcessId() || std::string(className) != "#32770" || !IsWindowVisible(window))
        return TRUE;
    *(HWND*)result = window;
    return FALSE;
}

static HWND FindOwnMessageBox()
{
    HWND found = nullptr;
    EnumWindows(TakeOwnMessageBox, (LPARAM)&found);
    return found;
}

// Reads the box from another thread (the test's own thread is inside the
// box's modal loop) and presses one of its buttons.
static SeenBox AnswerBox(int button, HWND foreign)
{
    SeenBox seen;
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindOwnMessageBox()) != nullptr && GetDlgItem(box, 65535); }))
        return seen;
    wchar_t buffer[512];
    seen.owner = GetWindow(box, GW_OWNER);
    seen.title = Utf8(buffer, GetWindowTextW(box, buffer, 512));
    seen.text = Utf8(buffer, (int)GetDlgItemTextW(box, 65535, buffer, 512));
    seen.hasOk = GetDlgItem(box, IDOK) != nullptr;
    seen.hasYes = GetDlgItem(box, IDYES) != nullptr;
    seen.hasNo = GetDlgItem(box, IDNO) != nullptr;
    seen.foreignEnabled = foreign && IsWindowEnabled(foreign);
    seen.ownerEnabled = seen.owner && IsWindowEnabled(seen.owner);
    PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
    return seen;
}

static int ShowAndAnswer(const char* title, const char* text, UINT flags, int button, SeenBox* seen,
                         HWND foreign = nullptr)
{
    std::thread answerer([&] { *seen = AnswerBox(button, foreign); });
    int result = ReqMessage(title, text, flags);
    answerer.join();
    return result;
}

TEST(ReqMessage, ShowsThePlainBoxAndReturnsOk)
{
    HWND own = OpenPlainWindow("QuillfernOwnWindow", "Own");
    SeenBox seen;
    const char* text = "      Première ligne\n      est terminée";
    EXPECT_EQ(ShowAndAnswer("Infos :", text, 0, IDOK, &seen), IDOK);
    EXPECT_EQ(seen.title, "Infos :");
    EXPECT_EQ(seen.text, text);
    EXPECT_TRUE(seen.hasOk);
    EXPECT_FALSE(seen.hasYes || seen.hasNo) << "flags 0: one OK button";
    EXPECT_EQ(seen.owner, own);
    EXPECT_FALSE(seen.ownerEnabled) << "modal to its owner";
    DestroyWindow(own);
}

TEST(ReqMessage, PassesTheFlagsAndReturnsThePressedButton)
{
    HWND own = OpenPlainWindow("QuillfernOwnWindow", "Own");
    SeenBox seen;
    EXPECT_EQ(ShowAndAnswer("Question", "Go on?", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, IDNO, &seen), IDNO);
    EXPECT_TRUE(seen.hasYes && seen.hasNo);
    EXPECT_FALSE(seen.hasOk);
    DestroyWindow(own);
}

TEST(ReqMessage, IsNeverOwnedByAnotherProgramsForegroundWindow)
{
    HWND own = OpenPlainWindow("QuillfernOwnWindow", "Own");
    HANDLE child = StartSelfAsChild("foreign_foreground");
    ASSERT_NE(child, nullptr);
    HWND foreign = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (foreign = FindWindowA(ForeignClass, nullptr)) != nullptr; }));
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == foreign; })) << "the other program holds the foreground";

    SeenBox seen;
    EXPECT_EQ(ShowAndAnswer("Infos :", "text", MB_ICONINFORMATION, IDOK, &seen, foreign), IDOK);
    EXPECT_EQ(seen.owner, own);
    EXPECT_TRUE(seen.foreignEnabled) << "the other program's window stays usable";

    PostMessageA(foreign, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(child, 20000), WAIT_OBJECT_0);
    CloseHandle(child);
    DestroyWindow(own);
}
