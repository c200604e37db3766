// Times programs under Wine, each to the same event and in the same rounds,
// and prints figures, runs and ratios; it judges none of them.
//   start-up: from process creation to its first window shown, and to that
//     window shown and idle (WaitForInputIdle once it is visible: its first
//     painting done, its thread waiting for input): the installer, a minimal
//     window, and NSIS installers of the same items (stored, and zlib);
//   silent installation of the four files (French) into a fresh folder,
//     from process creation to its end: the installer, the durable floor
//     (a program that starts the window system and writes the files durably)
//     and the NSIS installers;
//   installation in the window, from the install click to the completion
//     message, beside the durable floor in a window of its own: from its
//     button's click to the same message, the installer's six pauses made;
//   the file service on the largest item beside one WriteFile and ReadFile.
//   quillfern_bench [--starts=N] [--installs=N]
// QUILLFERN_SETUP names the installer, QUILLFERN_MINIMAL_WINDOW the minimal
// window, QUILLFERN_DURABLE_FLOOR the floor program; QUILLFERN_NSIS_STORED
// and QUILLFERN_NSIS_ZLIB the NSIS installers, when set; and
// QUILLFERN_SETUP_BESIDE, when set, another build of the installer whose
// start-ups and silent installations are timed in the same rounds.
#include "DurableFloor.h"
#include "app/Program.h"
#include "e2e/InstalledFiles.h"
#include "e2e/InstallerDriver.h"
#include "runtime/File.h"
#include "runtime/Tree.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

constexpr DWORD PollMs = 1;

static double NowMs()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000.0 / frequency.QuadPart;
}

static double Median(std::vector<double> runs)
{
    if (runs.empty())
        return 0;
    std::sort(runs.begin(), runs.end());
    size_t middle = runs.size() / 2;
    return runs.size() % 2 ? runs[middle] : (runs[middle - 1] + runs[middle]) / 2;
}

static std::string Runs(const std::vector<double>& runs)
{
    std::string text;
    char number[32];
    for (double run : runs) {
        snprintf(number, sizeof number, " %.0f", run);
        text += number;
    }
    return text;
}

static int Fail(const char* what)
{
    printf("bench: %s\n", what);
    return 1;
}

// A program timed beside the others, with its runs.
struct Peer {
    const char* name;
    std::string program;
    std::vector<double> shown, idle, silent, installed;
};

static bool Present(const Peer& peer)
{
    return !peer.program.empty();
}

// Polls every millisecond: the figures are a few hundred milliseconds.
template <typename Condition>
static bool Poll(Condition condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(PollMs);
    }
    return true;
}

struct VisibleSearch {
    DWORD process;
    HWND found;
};

static BOOL CALLBACK TakeVisible(HWND window, LPARAM parameter)
{
    auto* search = (VisibleSearch*)parameter;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

static HWND VisibleTopLevel(DWORD process)
{
    VisibleSearch search = {process, nullptr};
    EnumWindows(TakeVisible, (LPARAM)&search);
    return search.found;
}

// Ends a program whose window has been timed: the installer by its Cancel
// button, once its whole window is there; any other by closing its window.
static bool EndStarted(InstallerProcess& started, HWND window, bool installer)
{
    DWORD exitCode = 0;
    if (installer) {
        if (!started.WaitForWindow())
            return false;
        PostButtonClick(started.Control(5));
        return started.WaitForEndAfterQuit(&exitCode);
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(started.Process(), WindowDeadlineMs) == WAIT_OBJECT_0)
        return true;
    TerminateProcess(started.Process(), 0xDEAD);
    return true;
}

// From process creation to its first visible top-level window, and to that
// window idle.
static bool TimeStart(const std::string& folder, Peer& peer, bool installer)
{
    InstallerProcess started;
    double start = NowMs();
    if (!started.Start(folder, peer.program))
        return false;
    HWND window = nullptr;
    if (!Poll([&] { return (window = VisibleTopLevel(started.Id())) != nullptr; }, WindowDeadlineMs))
        return false;
    peer.shown.push_back(NowMs() - start);
    if (WaitForInputIdle(started.Process(), WindowDeadlineMs) != 0)
        return false;
    peer.idle.push_back(NowMs() - start);
    return EndStarted(started, window, installer);
}

// A fresh host folder holding PureBasic.exe, ending in a backslash.
static std::string FreshHost(const char* tag)
{
    std::string host = MakeTempFolder(tag) + "Host\\";
    MakePureBasicFolder(host);
    return host;
}

static bool InstalledWhole(const std::string& host)
{
    for (Target target : AllTargets) {
        if (ReadWholeFile(host + TargetPath(target)) != PayloadBytes(target, Language::French))
            return false;
    }
    return true;
}

static std::string ParentOf(const std::string& host)
{
    return host.substr(0, host.find_last_of('\\', host.size() - 2) + 1);
}

// The command line each program takes for a silent installation into
// `host` (ending in a backslash); the temporary folders hold no blanks.
static std::string SilentArguments(const std::string& host, int kind)
{
    std::string bare = host.substr(0, host.size() - 1);
    if (kind == 0)
        return "/S /L=fr \"/D=" + bare + "\"";
    if (kind == 1)
        return host;
    return "/S /D=" + bare;
}

// From process creation to its end, its standard output going to a file as
// a script's would; the files are then checked, untimed.
static bool TimeSilent(Peer& peer, int kind)
{
    std::string host = FreshHost("bench_silent");
    std::string parent = ParentOf(host);
    std::string line = "\"" + peer.program + "\" " + SilentArguments(host, kind);
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE output = CreateFileA((parent + "output.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION started = {};
    double start = NowMs();
    BOOL created = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, parent.c_str(), &startup,
                                  &started);
    DWORD exitCode = 1;
    if (created) {
        CloseHandle(started.hThread);
        bool ended = WaitForSingleObject(started.hProcess, InstallDeadlineMs) == WAIT_OBJECT_0;
        double ms = NowMs() - start;
        if (ended) {
            GetExitCodeProcess(started.hProcess, &exitCode);
            peer.silent.push_back(ms);
        } else {
            TerminateProcess(started.hProcess, 0xDEAD);
        }
        CloseHandle(started.hProcess);
    }
    CloseHandle(output);
    bool whole = exitCode == 0 && InstalledWhole(host);
    RemoveFolderTree(parent);
    if (!whole)
        printf("bench: the silent installation by %s failed (exit code %lu)\n", peer.name, exitCode);
    return whole;
}

// From a click on `button` to `started`'s message box, filled in; the run
// goes to `runs`.
static bool TimeToMessage(InstallerProcess& started, HWND button, MessageBoxContent& message,
                          std::vector<double>& runs)
{
    double start = NowMs();
    PostButtonClick(button);
    if (!Poll([&] { return started.FindOwnTopLevel("#32770") != nullptr; }, InstallDeadlineMs)
        || !started.WaitForMessageBox(message, InstallDeadlineMs))
        return false;
    runs.push_back(NowMs() - start);
    return true;
}

// A French installation into a fresh host folder, holding only
// PureBasic.exe: from the install click to the completion message.
static bool TimeInstallation(Peer& peer)
{
    std::string host = FreshHost("bench_install");
    std::string parent = ParentOf(host);
    UnregisterHost();
    RegisterHost(HKEY_CLASSES_ROOT, host);
    InstallerProcess installer;
    bool done = installer.Start(parent, peer.program) && installer.WaitForWindow();
    if (done) {
        PostButtonClick(installer.Control(6));
        done = installer.WaitForLineCount(1);
    }
    MessageBoxContent message;
    if (done)
        done = TimeToMessage(installer, installer.Control(7), message, peer.installed);
    if (done) {
        PostButtonClick(GetDlgItem(message.box, IDOK));
        done = installer.WaitForNoMessageBox()
            && WaitFor([&] { return IsWindowEnabled(installer.Control(5)) != FALSE; });
    }
    DWORD exitCode = 0;
    if (done) {
        PostButtonClick(installer.Control(5));
        done = installer.WaitForEndAfterQuit(&exitCode) && InstalledWhole(host);
    }
    UnregisterHost();
    RemoveFolderTree(parent);
    return done;
}

// The durable floor of an installation in the window, as a program with a
// window: from its button's click to the same completion message, the files
// written durably and the installer's pauses made between.
static bool TimeWindowFloor(Peer& peer)
{
    std::string host = FreshHost("bench_floor");
    InstallerProcess floor;
    HWND window = nullptr, button = nullptr;
    bool done = floor.Start(ParentOf(host), peer.program, host + " window")
        && Poll([&] { return (window = floor.FindOwnTopLevel(FloorWindowClass)) && IsWindowVisible(window)
                          && (button = FindWindowExA(window, nullptr, "Button", nullptr)); },
                WindowDeadlineMs);
    MessageBoxContent message;
    done = done && TimeToMessage(floor, button, message, peer.installed);
    if (done)
        PostButtonClick(GetDlgItem(message.box, IDOK));
    DWORD exitCode = 1;
    done = done && WaitForSingleObject(floor.Process(), InstallDeadlineMs) == WAIT_OBJECT_0
        && GetExitCodeProcess(floor.Process(), &exitCode) && exitCode == 0 && InstalledWhole(host);
    if (!done) {
        TerminateProcess(floor.Process(), 0xDEAD);
        WaitForSingleObject(floor.Process(), WindowDeadlineMs);
    }
    RemoveFolderTree(ParentOf(host));
    return done;
}

// The file service as an installation uses it on one file, in a held
// folder: made beside its target, written in one go, flushed, read back
// and renamed over the target. -1 when a step fails. (Here the calls are
// not inlined as in the program.)
static double TimeFileService(const std::string& folder, const std::string& bytes)
{
    const unsigned char* start = (const unsigned char*)bytes.data();
    const unsigned char* end = start + bytes.size();
    double begin = NowMs();
    HANDLE held = nullptr;
    int linkEnd = 0;
    TreeHoldRoot(folder.c_str(), TreeReachLocal, &held, &linkEnd);
    HANDLE file = held ? FileTake(0, TreeCreateFile(held, "service.new")) : nullptr;
    bool done = file && FileWriteBytes(start, end) && FileFlush(0) && FileHandleMatches(file, start, end)
        && TreeRename(file, held, "service.bin", nullptr);
    FileClose(0);
    TreeRelease();
    double ms = NowMs() - begin;
    return done ? ms : -1;
}

// The same bytes in one WriteFile and one ReadFile; with `flush`, the
// FlushFileBuffers between them too.
static double TimeOneCallEach(const std::string& folder, const std::string& bytes, bool flush)
{
    std::string path = folder + "one-call.bin", readBack(bytes.size(), '\0');
    double begin = NowMs();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD done = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &done, nullptr);
    if (flush)
        FlushFileBuffers(file);
    CloseHandle(file);
    file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ReadFile(file, readBack.data(), (DWORD)readBack.size(), &done, nullptr);
    CloseHandle(file);
    return NowMs() - begin;
}

// The fastest of `runs` alternating runs of each, so that a busy machine
// slows them least.
static bool TimeFileWriting(int runs)
{
    std::string largest;
    for (Target target : AllTargets) {
        std::string bytes = PayloadBytes(target, Language::French);
        if (bytes.size() > largest.size())
            largest = bytes;
    }
    std::string folder = MakeTempFolder("bench_file");
    double service = 1e9, floor = 1e9, flushed = 1e9;
    for (int i = 0; i < runs; i++) {
        double ms = TimeFileService(folder, largest);
        if (ms < 0)
            return false;
        service = std::min(service, ms);
        floor = std::min(floor, TimeOneCallEach(folder, largest, false));
        flushed = std::min(flushed, TimeOneCallEach(folder, largest, true));
    }
    RemoveFolderTree(folder);
    printf("file of %zu bytes: file service (write, flush, read-back, move) %.1f ms | one WriteFile and one"
           " ReadFile %.1f ms (with a flush between %.1f ms) | ratio %.2f (fastest of %d)\n",
           largest.size(), service, floor, flushed, service / floor, runs);
    return true;
}

static int CountArgument(int argc, char** argv, const char* name, int fallback)
{
    size_t length = strlen(name);
    for (int i = 1; i < argc; i++) {
        if (strncmp(argv[i], name, length) == 0)
            return std::max(1, atoi(argv[i] + length));
    }
    return fallback;
}

static std::string ProgramFrom(const char* variable)
{
    const char* value = getenv(variable);
    return value && *value ? WindowsPath(value) : "";
}

enum PeerIndex { Installer, Minimal, Floor, NsisStored, NsisZlib, Beside, PeerCount };

// Each round starts with another program, so that none is always first;
// one untimed round comes first, so that none pays alone for Wine's first
// loading of the system DLLs.
template <typename Time>
static bool InRounds(int rounds, const std::vector<Peer*>& peers, Time time)
{
    for (int round = -1; round < rounds; round++) {
        for (size_t i = 0; i < peers.size(); i++) {
            if (!time(*peers[(round + 1 + i) % peers.size()]))
                return false;
        }
        if (round >= 0)
            continue;
        for (Peer* peer : peers)
            peer->shown.clear(), peer->idle.clear(), peer->silent.clear(), peer->installed.clear();
    }
    return true;
}

static std::vector<Peer*> PresentOf(Peer* peers, std::initializer_list<int> indexes)
{
    std::vector<Peer*> present;
    for (int i : indexes) {
        if (Present(peers[i]))
            present.push_back(&peers[i]);
    }
    return present;
}

// A figure as scripts/bench reads its headline, the installer's median
// beside `yardstick`'s; then each program's runs and the installer's ratio
// to each.
static void PrintFigure(const char* name, const char* event, const char* yardstickName, int yardstick,
                        const Peer* peers, const std::vector<Peer*>& timed, std::vector<double> Peer::*figure)
{
    double installer = Median(peers[Installer].*figure), other = Median(peers[yardstick].*figure);
    printf("%s: %.0f ms (median of %zu, %s) | %s: %.0f ms | ratio %.2f\n", name, installer,
           (peers[Installer].*figure).size(), event, yardstickName, other, installer / other);
    for (const Peer* peer : timed)
        printf("  %-16s %4.0f ms | runs:%s\n", peer->name, Median(peer->*figure), Runs(peer->*figure).c_str());
    printf("  ratios, %s:", name);
    const char* separator = " ";
    for (const Peer* peer : timed) {
        double median = Median(peer->*figure);
        if (peer == &peers[Installer] || installer <= 0 || median <= 0)
            continue;
        printf("%sinstaller / %s %.2f", separator, peer->name, installer / median);
        separator = " | ";
    }
    printf("\n");
    fflush(stdout);
}

static bool TimeStarts(Peer* peers, const std::string& work, int starts)
{
    std::vector<Peer*> windows = PresentOf(peers, {Installer, Minimal, NsisStored, NsisZlib, Beside});
    auto timeStart = [&](Peer& peer) {
        return TimeStart(work, peer, &peer == &peers[Installer] || &peer == &peers[Beside]);
    };
    if (!InRounds(starts, windows, timeStart))
        return false;
    PrintFigure("start-up installer", "window shown and idle", "minimal window", Minimal, peers, windows, &Peer::idle);
    PrintFigure("first visible", "first top-level window visible", "minimal window", Minimal, peers, windows,
                &Peer::shown);
    if (Present(peers[Beside]))
        printf("start-up beside: %.0f ms (median of %d, the other build in the same rounds)\n",
               Median(peers[Beside].idle), starts);
    return true;
}

static bool TimeSilents(Peer* peers, int installs)
{
    std::vector<Peer*> silent = PresentOf(peers, {Installer, Floor, NsisStored, NsisZlib, Beside});
    auto timeSilent = [&](Peer& peer) {
        int kind = &peer == &peers[Installer] || &peer == &peers[Beside] ? 0 : &peer == &peers[Floor] ? 1 : 2;
        return TimeSilent(peer, kind);
    };
    if (!InRounds(installs, silent, timeSilent))
        return false;
    PrintFigure("silent installation", "process start to end", "durable floor", Floor, peers, silent, &Peer::silent);
    return true;
}

static bool TimeInstallations(Peer* peers, int installs)
{
    std::vector<Peer*> window = PresentOf(peers, {Installer, Floor});
    auto timeInstallation = [&](Peer& peer) {
        return &peer == &peers[Floor] ? TimeWindowFloor(peer) : TimeInstallation(peer);
    };
    if (!InRounds(installs, window, timeInstallation))
        return false;
    char floorName[64];
    snprintf(floorName, sizeof floorName, "durable floor with %d x %lu ms", FloorPauses, FloorPauseMs);
    PrintFigure("installation", "install click to completion message", floorName, Floor, peers, window,
                &Peer::installed);
    return true;
}

int main(int argc, char** argv)
{
    int starts = CountArgument(argc, argv, "--starts=", 9);
    int installs = CountArgument(argc, argv, "--installs=", 9);
    PrepareServices(GetModuleHandleA(nullptr));
    Peer peers[PeerCount] = {
        {"installer", InstallerPath(), {}, {}, {}, {}},
        {"minimal window", ProgramFrom("QUILLFERN_MINIMAL_WINDOW"), {}, {}, {}, {}},
        {"durable floor", ProgramFrom("QUILLFERN_DURABLE_FLOOR"), {}, {}, {}, {}},
        {"NSIS stored", ProgramFrom("QUILLFERN_NSIS_STORED"), {}, {}, {}, {}},
        {"NSIS zlib", ProgramFrom("QUILLFERN_NSIS_ZLIB"), {}, {}, {}, {}},
        {"other build", ProgramFrom("QUILLFERN_SETUP_BESIDE"), {}, {}, {}, {}},
    };
    if (!Present(peers[Installer]) || !Present(peers[Minimal]) || !Present(peers[Floor]))
        return Fail("QUILLFERN_SETUP, QUILLFERN_MINIMAL_WINDOW and QUILLFERN_DURABLE_FLOOR name the programs");
    std::string work = MakeTempFolder("bench");
    UnregisterHost();

    if (!TimeStarts(peers, work, starts))
        return Fail("a window did not appear");
    if (!TimeSilents(peers, installs))
        return Fail("a silent installation failed");

    if (!TimeInstallations(peers, installs))
        return Fail("an installation did not complete");
    RemoveFolderTree(work);
    fflush(stdout);
    return TimeFileWriting(installs) ? 0 : Fail("the file service failed");
}
