#pragma once
// Drives the shipped installer from another process, as a user would: the
// host registration, the program's windows, its log, its message boxes, and
// the files it leaves on disk.
#include "support/RealInput.h"
#include <windows.h>
#include <functional>
#include <set>
#include <string>
#include <vector>

// Deadlines for what a sound installer does within a few seconds even here
// (32-bit Wine under QEMU, on a machine shared with builds), with room to
// spare: one that is missed means a fault, reported without minutes of
// waiting. A window or a message box appears, a line is logged, a program
// ends.
constexpr DWORD WindowDeadlineMs = 30000;
// The files go through the file service's buffer: under a second here.
constexpr DWORD InstallDeadlineMs = 30000;
// Another process answers a message sent to it (it is in a message loop).
constexpr DWORD CrossProcessDeadlineMs = 10000;

// A Unix path (as CMake and the shell know it) as Wine sees it: Z: maps to /.
std::string WindowsPath(const std::string& path);
// The folder named by an environment variable as a Windows path ending in a
// backslash; empty when the variable is not set.
std::string FolderFromEnvironment(const char* variable);
// A Windows path from an environment variable; empty when it is not set.
std::string PathFromEnvironment(const char* variable);
// The program under test, from QUILLFERN_SETUP.
std::string InstallerPath();

// A primary token for a program started as a user without administrator
// rights runs: the linked (limited) token of this process's own. Under Wine
// every process holds a full administrator token whatever it asks for, and a
// program started with this one reports itself limited, as do the programs
// it starts. Null when there is none; the caller closes it.
HANDLE LimitedToken();

// The shell registration the installer reads, pointing at <host>PureBasic.exe.
void RegisterHost(HKEY root, const std::string& hostFolder);
void UnregisterHost();
// A folder as a real host has it: made with any parents it lacks, holding a
// file PureBasic.exe (left as it is when there is one).
void MakePureBasicFolder(const std::string& folder);

// The display's dots per inch that Wine gives each program started while
// this lives (Control Panel\Desktop, LogPixels, of the user's own key); the
// value is put back as it was when it ends, however the scenario ends. The
// thread that made it reads other processes' windows in their own pixels
// meanwhile.
class DisplayScale {
public:
    explicit DisplayScale(DWORD dpi);
    ~DisplayScale();
    DisplayScale(const DisplayScale&) = delete;
    DisplayScale& operator=(const DisplayScale&) = delete;
    bool Applied() const { return status_ == ERROR_SUCCESS; }
    // What the registry said when the value was set.
    LSTATUS Status() const { return status_; }

private:
    HKEY desktop_ = nullptr;
    LSTATUS status_ = ERROR_SUCCESS;
    bool hadValue_ = false;
    DWORD before_ = 0;
    DPI_AWARENESS_CONTEXT awareness_ = nullptr;
};

// Every folder (ending in a backslash) and file below `folder`, relative to it.
std::set<std::string> ListTree(const std::string& folder);

// The part of a control, in screen coordinates, that can be seen inside all
// its ancestors, and its centre.
RECT VisibleRect(HWND control);
POINT VisibleCentre(HWND control);
void ClickWithMouse(HWND control);      // real input: SetCursorPos + SendInput
void PostButtonClick(HWND button);      // BM_CLICK, posted so GetMessage returns

// The window's thread answered a message: it is waiting in a message loop,
// where whatever it still has to paint comes next.
bool Answers(HWND window);

// Texts are read as the system holds them, in UTF-16, and given as UTF-8;
// so are the log's lines and paths.
std::string TextOf(HWND window);

struct MessageBoxContent {
    HWND box = nullptr;
    std::string title;
    std::string text;
    std::vector<int> buttons;   // the identifiers of its buttons
    HWND icon = nullptr;        // control 1088
};

// The system's folder dialog that the installer opens when no registration
// names a PureBasic folder.
struct FolderDialogContent {
    HWND dialog = nullptr;
    HWND nameBox = nullptr;     // the Edit in which a name is typed
    std::string title;
};

// Types the path into the name box and presses Open. Under Wine a posted
// click on Open does nothing: WM_COMMAND IDOK is sent to the dialog instead.
bool PickInFolderDialog(const FolderDialogContent& content, const std::string& path);
bool CancelFolderDialog(const FolderDialogContent& content);

// What a wait looks for besides its own condition: a state of the window
// (its log, its buttons, a box gone), the installer window, a message box,
// the folder dialog, or the program's end.
enum class Awaited { State, Window, MessageBox, FolderDialog, End };

// The process's visible top-level window in words ("" when it shows none):
// a message box with its title and text, the folder dialog, the installer
// window, or any other by its class and title; else any window of the
// processes it started (the copy with rights), which may show none.
std::string VisibleWindowOf(DWORD process);
// The processes that the process started, and those that they started.
std::vector<DWORD> DescendantsOf(DWORD process);
// Ends them: a copy left waiting on a box would outlive its scenario.
void EndDescendants(DWORD process);

class InstallerProcess {
public:
    ~InstallerProcess();
    // Starts the installer (or another program: the bench's minimal window)
    // with `currentFolder` as its current folder, and the arguments given;
    // with the token when one is given.
    bool Start(const std::string& currentFolder, const std::string& program = InstallerPath(),
               const std::string& arguments = "", HANDLE token = nullptr);
    // Waits until all four windows and their controls exist and are shown.
    bool WaitForWindow(DWORD timeoutMs = WindowDeadlineMs);
    HWND Control(int id) const;     // a button or the list box
    bool WaitForLineCount(int count, DWORD timeoutMs = WindowDeadlineMs) const;
    std::vector<std::string> LogLines() const;
    LRESULT AskList(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // The installer's visible folder dialog, once its name box exists.
    bool WaitForFolderDialog(FolderDialogContent& content, DWORD timeoutMs = WindowDeadlineMs) const;
    // The installer's visible message box, once its buttons are shown.
    bool WaitForMessageBox(MessageBoxContent& content, DWORD timeoutMs) const;
    bool WaitForNoMessageBox(DWORD timeoutMs = WindowDeadlineMs) const;
    bool WaitForEnd(DWORD* exitCode, DWORD timeoutMs = WindowDeadlineMs) const;
    // After the quit request the program ends at the first poll that finds
    // its queue empty; a message already waiting makes it wait for one more,
    // which the user's next mouse movement brings: the mouse moves meanwhile.
    bool WaitForEndAfterQuit(DWORD* exitCode) const;
    // The process's visible top-level window of that class, if any, of those
    // that `accept` takes when it is given.
    HWND FindOwnTopLevel(const char* className, bool (*accept)(HWND) = nullptr) const;

    // Every wait watches the installer as it waits: it ends at once, false,
    // when the installer ends where its end is not awaited, or shows a
    // message box, the folder dialog or its window that the wait does not
    // await and that was not there when it began, or when the copy it
    // started with rights shows any window (that copy is then ended). The first such thing, in
    // words, is kept and told to onUnexpected; every later wait on this run
    // then ends at once too. `what` names what is awaited, for those words.
    bool WaitWatching(const std::function<bool()>& condition, Awaited awaited, const char* what,
                      DWORD timeoutMs = WindowDeadlineMs) const;
    const std::string& Unexpected() const { return unexpected_; }
    std::function<void(const std::string&)> onUnexpected;
    DWORD Id() const { return id_; }
    HANDLE Process() const { return process_; }

    HWND Main = nullptr;
    HWND LogoBand = nullptr;
    HWND ButtonPanel = nullptr;
    HWND LogPanel = nullptr;
    HWND List = nullptr;

private:
    std::string SeenUnexpected(Awaited awaited, const std::vector<HWND>& before) const;

    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    mutable std::string unexpected_;
};
