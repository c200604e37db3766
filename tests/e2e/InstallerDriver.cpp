#include "InstallerDriver.h"
#include "support/WaitFor.h"
#include "support/Wide.h"
#include <sddl.h>
#include <tlhelp32.h>
#include <algorithm>
#include <cstdlib>

constexpr int MessageBoxIconControl = 1088;
constexpr int MessageBoxTextControl = 65535;

std::string WindowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string windows = "Z:" + path;
    for (char& c : windows) {
        if (c == '/')
            c = '\\';
    }
    return windows;
}

std::string PathFromEnvironment(const char* variable)
{
    const char* path = getenv(variable);
    return path ? WindowsPath(path) : "";
}

std::string FolderFromEnvironment(const char* variable)
{
    std::string folder = PathFromEnvironment(variable);
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

std::string InstallerPath()
{
    return PathFromEnvironment("QUILLFERN_SETUP");
}

static const wchar_t ClassesRootKey[] = L"Applications\\PureBasic.exe\\shell\\open\\command";
static const wchar_t MachineKey[] = L"Software\\Classes\\PureBasic.exe\\shell\\open\\command";

void RegisterHost(HKEY root, const std::string& hostFolder)
{
    std::wstring command = Wide("\"" + hostFolder + "PureBasic.exe\" \"%1\"");
    HKEY key = nullptr;
    const wchar_t* path = root == HKEY_CLASSES_ROOT ? ClassesRootKey : MachineKey;
    if (RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, L"", 0, REG_SZ, (const BYTE*)command.c_str(), (DWORD)(command.size() + 1) * sizeof(wchar_t));
    RegCloseKey(key);
}

void UnregisterHost()
{
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "Applications\\PureBasic.exe");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes\\PureBasic.exe");
}

void MakePureBasicFolder(const std::string& folder)
{
    for (size_t end = folder.find('\\', 3); end != std::string::npos; end = folder.find('\\', end + 1))
        CreateDirectoryW(WidePath(folder.substr(0, end + 1)).c_str(), nullptr);
    HANDLE program = CreateFileW(WidePath(folder + "PureBasic.exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (program != INVALID_HANDLE_VALUE)
        CloseHandle(program);
}

// The user's key named through HKEY_USERS, opened here: the process's cached
// HKEY_CURRENT_USER handle is left out of a scenario's set-up.
static LSTATUS OpenUserDesktop(HKEY* desktop)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return (LSTATUS)GetLastError();
    char block[256];
    DWORD size = 0;
    wchar_t* sid = nullptr;
    LSTATUS status = ERROR_SUCCESS;
    if (!GetTokenInformation(token, TokenUser, block, sizeof block, &size)
        || !ConvertSidToStringSidW(((TOKEN_USER*)block)->User.Sid, &sid))
        status = (LSTATUS)GetLastError();
    CloseHandle(token);
    if (status != ERROR_SUCCESS)
        return status;
    std::wstring path = std::wstring(sid) + L"\\Control Panel\\Desktop";
    LocalFree(sid);
    return RegCreateKeyExW(HKEY_USERS, path.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                           desktop, nullptr);
}

DisplayScale::DisplayScale(DWORD dpi)
{
    status_ = OpenUserDesktop(&desktop_);
    if (status_ != ERROR_SUCCESS)
        return;
    DWORD size = sizeof before_;
    hadValue_ = RegGetValueW(desktop_, nullptr, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &before_, &size)
        == ERROR_SUCCESS;
    status_ = RegSetValueExW(desktop_, L"LogPixels", 0, REG_DWORD, (const BYTE*)&dpi, sizeof dpi);
    // Unaware, this thread would see a scaled window's lengths mapped back to 96 dpi.
    awareness_ = SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

DisplayScale::~DisplayScale()
{
    if (awareness_)
        SetThreadDpiAwarenessContext(awareness_);
    if (!desktop_)
        return;
    if (hadValue_)
        RegSetValueExW(desktop_, L"LogPixels", 0, REG_DWORD, (const BYTE*)&before_, sizeof before_);
    else
        RegDeleteValueW(desktop_, L"LogPixels");
    RegCloseKey(desktop_);
}

static void ListInto(const std::string& folder, const std::string& relative, std::set<std::string>& entries)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(WidePath(folder + relative + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = Utf8(found.cFileName);
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            entries.insert(relative + name + "\\");
            ListInto(folder, relative + name + "\\", entries);
        } else {
            entries.insert(relative + name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::set<std::string> ListTree(const std::string& folder)
{
    std::set<std::string> entries;
    ListInto(folder, "", entries);
    return entries;
}

RECT VisibleRect(HWND control)
{
    RECT visible = {};
    GetWindowRect(control, &visible);
    for (HWND ancestor = GetParent(control); ancestor; ancestor = GetParent(ancestor)) {
        RECT outer;
        GetWindowRect(ancestor, &outer);
        IntersectRect(&visible, &visible, &outer);
    }
    return visible;
}

POINT VisibleCentre(HWND control)
{
    RECT visible = VisibleRect(control);
    return {(visible.left + visible.right) / 2, (visible.top + visible.bottom) / 2};
}

// The screen shows a window some time after Win32 calls it visible (longer
// on a loaded machine): the click waits until the control is really the
// window under the point and the display has drawn something around it (an
// undrawn window is black; the point itself may fall on black text).
static bool ShownOnScreen(HWND control, POINT point)
{
    // The system looks through a disabled control to its parent.
    HWND under = WindowFromPoint(point);
    bool disabledOverParent = under == GetParent(control) && !IsWindowEnabled(control);
    if (under != control && !disabledOverParent)
        return false;
    HDC screen = GetDC(nullptr);
    bool drawn = false;
    for (int dy = -3; dy <= 3 && !drawn; dy++) {
        for (int dx = -3; dx <= 3 && !drawn; dx++) {
            COLORREF pixel = GetPixel(screen, point.x + dx, point.y + dy);
            drawn = pixel != RGB(0, 0, 0) && pixel != CLR_INVALID;
        }
    }
    ReleaseDC(nullptr, screen);
    return drawn;
}

void ClickWithMouse(HWND control)
{
    POINT point = VisibleCentre(control);
    WaitFor([&] { return ShownOnScreen(control, point); }, 10000);
    ClickWithMouseAt(point);
}

void PostButtonClick(HWND button)
{
    PostMessageA(button, BM_CLICK, 0, 0);
}

bool Answers(HWND window)
{
    DWORD_PTR ignored = 0;
    return window && SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, CrossProcessDeadlineMs, &ignored);
}

std::string TextOf(HWND window)
{
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    return Utf8(text.data(), GetWindowTextW(window, text.data(), (int)text.size()));
}

std::vector<DWORD> DescendantsOf(DWORD process)
{
    std::vector<std::pair<DWORD, DWORD>> parents;     // each process and its parent
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        parents.emplace_back(entry.th32ProcessID, entry.th32ParentProcessID);
    if (snapshot != INVALID_HANDLE_VALUE)
        CloseHandle(snapshot);
    std::vector<DWORD> found = {process};
    for (size_t i = 0; i < found.size(); i++) {
        for (auto [child, parent] : parents) {
            if (parent == found[i] && child != process && std::find(found.begin(), found.end(), child) == found.end())
                found.push_back(child);
        }
    }
    found.erase(found.begin());
    return found;
}

void EndDescendants(DWORD process)
{
    for (DWORD descendant : DescendantsOf(process)) {
        HANDLE handle = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, descendant);
        if (!handle)
            continue;
        TerminateProcess(handle, 0xDEAD);
        WaitForSingleObject(handle, 10000);
        CloseHandle(handle);
    }
}

InstallerProcess::~InstallerProcess()
{
    if (!process_)
        return;
    EndDescendants(id_);
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 0xDEAD);
        WaitForSingleObject(process_, 10000);
    }
    CloseHandle(process_);
}

HANDLE LimitedToken()
{
    HANDLE own = nullptr, primary = nullptr;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own))
        return nullptr;
    if (GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)) {
        DuplicateTokenEx(linked.LinkedToken, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &primary);
        CloseHandle(linked.LinkedToken);
    }
    CloseHandle(own);
    return primary;
}

bool InstallerProcess::Start(const std::string& currentFolder, const std::string& program,
                             const std::string& arguments, HANDLE token)
{
    if (process_)
        CloseHandle(process_);
    process_ = nullptr;
    Main = LogoBand = ButtonPanel = LogPanel = List = nullptr;
    unexpected_.clear();
    std::string line = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    BOOL created = token ? CreateProcessAsUserA(token, nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                                currentFolder.c_str(), &startup, &started)
                         : CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                          currentFolder.c_str(), &startup, &started);
    if (!created)
        return false;
    CloseHandle(started.hThread);
    process_ = started.hProcess;
    id_ = started.dwProcessId;
    return true;
}

struct TopLevelSearch {
    DWORD process;
    const char* className;
    bool (*accept)(HWND);
    HWND found;
};

static BOOL CALLBACK MatchTopLevel(HWND window, LPARAM parameter)
{
    auto* search = (TopLevelSearch*)parameter;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (owner != search->process || lstrcmpA(name, search->className) != 0 || !IsWindowVisible(window)
        || (search->accept && !search->accept(window)))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND InstallerProcess::FindOwnTopLevel(const char* className, bool (*accept)(HWND)) const
{
    TopLevelSearch search = {id_, className, accept, nullptr};
    EnumWindows(MatchTopLevel, (LPARAM)&search);
    return search.found;
}

static bool Shown(HWND window)
{
    return window && IsWindowVisible(window);
}

bool InstallerProcess::WaitForWindow(DWORD timeoutMs)
{
    // The button panel is shown last, once its buttons have their states.
    return WaitWatching(
        [&] {
            Main = FindOwnTopLevel("WindowClass_0");
            if (!Main)
                return false;
            LogoBand = FindWindowExA(Main, nullptr, "WindowClass_1", nullptr);
            ButtonPanel = FindWindowExA(Main, nullptr, "WindowClass_2", nullptr);
            LogPanel = FindWindowExA(Main, nullptr, "WindowClass_3", nullptr);
            List = LogPanel ? GetDlgItem(LogPanel, 100) : nullptr;
            return Shown(LogoBand) && Shown(LogPanel) && Shown(ButtonPanel) && Shown(List) && Control(5)
                && Control(6) && Control(7) && Control(8);
        },
        Awaited::Window, "its window", timeoutMs);
}

HWND InstallerProcess::Control(int id) const
{
    if (id == 100)
        return List;
    return ButtonPanel ? GetDlgItem(ButtonPanel, id) : nullptr;
}

LRESULT InstallerProcess::AskList(UINT message, WPARAM wParam, LPARAM lParam) const
{
    DWORD_PTR answer = (DWORD_PTR)LB_ERR;
    if (!SendMessageTimeoutW(List, message, wParam, lParam, SMTO_NORMAL, CrossProcessDeadlineMs, &answer))
        return LB_ERR;
    return (LRESULT)answer;
}

bool InstallerProcess::WaitForLineCount(int count, DWORD timeoutMs) const
{
    return WaitWatching([&] { return AskList(LB_GETCOUNT) == count; }, Awaited::State,
                        "the log's lines", timeoutMs);
}

std::vector<std::string> InstallerProcess::LogLines() const
{
    std::vector<std::string> lines;
    int count = (int)AskList(LB_GETCOUNT);
    for (int i = 0; i < count; i++) {
        int length = (int)AskList(LB_GETTEXTLEN, i);
        std::wstring wide(length > 0 ? length + 1 : 1, L'\0');
        int got = (int)AskList(LB_GETTEXT, i, (LPARAM)wide.data());
        lines.push_back(Utf8(wide.data(), got));
    }
    return lines;
}

static BOOL CALLBACK CollectButton(HWND child, LPARAM parameter)
{
    char name[64] = "";
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Button") == 0 && IsWindowVisible(child))
        ((std::vector<int>*)parameter)->push_back(GetDlgCtrlID(child));
    return TRUE;
}

constexpr int NameBoxControl = 1152;

static BOOL CALLBACK TakeNameBox(HWND child, LPARAM found)
{
    char name[64] = "";
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Edit") != 0 || GetDlgCtrlID(child) != NameBoxControl || !IsWindowVisible(child))
        return TRUE;
    *(HWND*)found = child;
    return FALSE;
}

static HWND NameBox(HWND dialog)
{
    HWND found = nullptr;
    EnumChildWindows(dialog, TakeNameBox, (LPARAM)&found);
    return found;
}

// Both are dialogs (#32770); only the folder dialog has a box to type in.
static bool IsFolderDialog(HWND dialog)
{
    return NameBox(dialog) != nullptr;
}

static bool IsMessageBox(HWND dialog)
{
    return !IsFolderDialog(dialog);
}

bool InstallerProcess::WaitForFolderDialog(FolderDialogContent& content, DWORD timeoutMs) const
{
    return WaitWatching(
        [&] {
            content.dialog = FindOwnTopLevel("#32770", IsFolderDialog);
            content.nameBox = content.dialog ? NameBox(content.dialog) : nullptr;
            content.title = content.dialog ? TextOf(content.dialog) : "";
            return content.nameBox != nullptr;
        },
        Awaited::FolderDialog, "the folder dialog", timeoutMs);
}

static bool SendToDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, CrossProcessDeadlineMs, &answer) != 0;
}

bool PickInFolderDialog(const FolderDialogContent& content, const std::string& path)
{
    std::wstring wide = Wide(path);
    return SendToDialog(content.nameBox, WM_SETTEXT, 0, (LPARAM)wide.c_str())
        && SendToDialog(content.dialog, WM_COMMAND, IDOK, 0);
}

bool CancelFolderDialog(const FolderDialogContent& content)
{
    return SendToDialog(content.dialog, WM_COMMAND, IDCANCEL, 0);
}

bool InstallerProcess::WaitForMessageBox(MessageBoxContent& content, DWORD timeoutMs) const
{
    return WaitWatching(
        [&] {
            content.box = FindOwnTopLevel("#32770", IsMessageBox);
            content.buttons.clear();
            if (content.box)
                EnumChildWindows(content.box, CollectButton, (LPARAM)&content.buttons);
            if (content.buttons.empty())
                return false;
            content.title = TextOf(content.box);
            content.text = TextOf(GetDlgItem(content.box, MessageBoxTextControl));
            content.icon = GetDlgItem(content.box, MessageBoxIconControl);
            return true;
        },
        Awaited::MessageBox, "a message box", timeoutMs);
}

bool InstallerProcess::WaitForNoMessageBox(DWORD timeoutMs) const
{
    return WaitWatching([&] { return FindOwnTopLevel("#32770", IsMessageBox) == nullptr; }, Awaited::State,
                        "the message box to close", timeoutMs);
}

bool InstallerProcess::WaitForEnd(DWORD* exitCode, DWORD timeoutMs) const
{
    if (!process_
        || !WaitWatching([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, Awaited::End, "its end",
                         timeoutMs))
        return false;
    GetExitCodeProcess(process_, exitCode);
    return true;
}

// No further input is given: the installer must end by itself once asked.
bool InstallerProcess::WaitForEndAfterQuit(DWORD* exitCode) const
{
    return WaitForEnd(exitCode, WindowDeadlineMs);
}

// ---- Watching the installer while waiting

// How often a wait looks at the installer's windows: a wrong one is seen
// within a moment, and the installer keeps the machine to itself meanwhile
// (a look asks the system about every top-level window).
constexpr DWORD WatchIntervalMs = 250;

static std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct OwnWindows {
    DWORD process;
    std::vector<HWND> found;
};

static BOOL CALLBACK CollectOwnWindow(HWND window, LPARAM parameter)
{
    auto* own = (OwnWindows*)parameter;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == own->process && IsWindowVisible(window))
        own->found.push_back(window);
    return TRUE;
}

static std::vector<HWND> VisibleWindows(DWORD process)
{
    OwnWindows own = {process, {}};
    EnumWindows(CollectOwnWindow, (LPARAM)&own);
    return own.found;
}

// What a window is to a wait; State for one the scenarios do not tell apart.
// A message box holds its text from the moment it is shown; the folder
// dialog is the installer's other dialog.
static Awaited KindOf(HWND window)
{
    std::string name = ClassOf(window);
    if (name == "WindowClass_0")
        return Awaited::Window;
    if (name != "#32770")
        return Awaited::State;
    return GetDlgItem(window, MessageBoxTextControl) ? Awaited::MessageBox : Awaited::FolderDialog;
}

static std::string Describe(HWND window)
{
    switch (KindOf(window)) {
    case Awaited::Window:
        return "its window";
    case Awaited::MessageBox:
        return "a message box \"" + TextOf(window) + "\": \"" + TextOf(GetDlgItem(window, MessageBoxTextControl))
            + "\"";
    case Awaited::FolderDialog:
        return "a dialog \"" + TextOf(window) + "\"";
    default:
        return "a window of class " + ClassOf(window) + " \"" + TextOf(window) + "\"";
    }
}

// The copy it started with rights shows nothing, ever.
static std::string VisibleWindowOfDescendant(DWORD process)
{
    for (DWORD descendant : DescendantsOf(process)) {
        std::vector<HWND> shown = VisibleWindows(descendant);
        if (!shown.empty())
            return Describe(shown.front()) + " from the copy it started (process " + std::to_string(descendant) + ")";
    }
    return "";
}

std::string VisibleWindowOf(DWORD process)
{
    std::vector<HWND> shown = VisibleWindows(process);
    return shown.empty() ? VisibleWindowOfDescendant(process) : Describe(shown.front());
}

std::string InstallerProcess::SeenUnexpected(Awaited awaited, const std::vector<HWND>& before) const
{
    DWORD exitCode = 0;
    if (awaited != Awaited::End && process_ && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process_, &exitCode);
        return "the installer ended, with exit code " + std::to_string(exitCode);
    }
    for (HWND window : VisibleWindows(id_)) {
        Awaited kind = KindOf(window);
        if (kind != Awaited::State && kind != awaited && std::find(before.begin(), before.end(), window) == before.end())
            return "the installer showed " + Describe(window);
    }
    std::string copyShown = VisibleWindowOfDescendant(id_);
    if (!copyShown.empty())
        EndDescendants(id_);
    return copyShown.empty() ? "" : "the installer showed " + copyShown;
}

bool InstallerProcess::WaitWatching(const std::function<bool()>& condition, Awaited awaited, const char* what,
                                    DWORD timeoutMs) const
{
    if (!unexpected_.empty())
        return false;
    std::vector<HWND> before = VisibleWindows(id_);
    DWORD lastLook = GetTickCount();
    bool met = WaitFor(
        [&] {
            if (condition())
                return true;
            if (GetTickCount() - lastLook < WatchIntervalMs)
                return false;
            lastLook = GetTickCount();
            unexpected_ = SeenUnexpected(awaited, before);
            return !unexpected_.empty();
        },
        timeoutMs);
    if (unexpected_.empty())
        return met;
    unexpected_ += std::string(" while waiting for ") + what;
    if (onUnexpected)
        onUnexpected(unexpected_);
    return false;
}
