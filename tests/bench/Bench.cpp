// Times the installer under Wine: its start-up beside a minimal window's, an
// installation beside the least that writing the same files could cost, and
// the file service on the largest item beside one WriteFile and ReadFile.
// Prints figures and judges none of them.
//   quillfern_bench [--starts=N] [--installs=N]
// QUILLFERN_SETUP names the installer, QUILLFERN_MINIMAL_WINDOW the yardstick;
// QUILLFERN_SETUP_BESIDE, when set, names another build of the installer
// whose start-ups are timed in the same rounds, so that both meet the same
// load on a shared machine.
#include "app/Program.h"
#include "e2e/InstalledFiles.h"
#include "e2e/InstallerDriver.h"
#include "runtime/File.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

constexpr int FloorPauses = 6;      // the installer's progress steps, 10 ms each

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
    std::sort(runs.begin(), runs.end());
    size_t middle = runs.size() / 2;
    return runs.size() % 2 ? runs[middle] : (runs[middle - 1] + runs[middle]) / 2;
}

static void PrintRuns(const char* what, const std::vector<double>& runs)
{
    printf("  %s runs (ms):", what);
    for (double run : runs)
        printf(" %.0f", run);
    printf("\n");
}

static int Fail(const char* what)
{
    printf("bench: %s\n", what);
    return 1;
}

// From process creation to the main window shown with its four buttons.
static bool TimeInstallerStart(const std::string& folder, double& ms, const std::string& program = InstallerPath())
{
    InstallerProcess installer;
    double start = NowMs();
    if (!installer.Start(folder, program) || !installer.WaitForWindow())
        return false;
    ms = NowMs() - start;
    PostButtonClick(installer.Control(5));
    DWORD exitCode = 0;
    return installer.WaitForEndAfterQuit(&exitCode);
}

static bool TimeMinimalStart(const std::string& folder, const std::string& program, double& ms)
{
    InstallerProcess minimal;
    HWND window = nullptr;
    double start = NowMs();
    if (!minimal.Start(folder, program)
        || !WaitFor([&] { return (window = minimal.FindOwnTopLevel("QuillfernMinimalWindow")) != nullptr; },
                    WindowDeadlineMs))
        return false;
    ms = NowMs() - start;
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 0;
    return minimal.WaitForEnd(&exitCode);
}

static bool InstalledWhole(const std::string& host)
{
    for (Target target : AllTargets) {
        if (ReadWholeFile(host + TargetPath(target)) != PayloadBytes(target, Language::French))
            return false;
    }
    return true;
}

// A French installation into a fresh host folder under `parent`, holding
// only PureBasic.exe: from the install click to the completion message.
static bool TimeInstallation(const std::string& parent, double& ms)
{
    std::string host = parent + "Host\\";
    MakePureBasicFolder(host);
    UnregisterHost();
    RegisterHost(HKEY_CLASSES_ROOT, host);
    InstallerProcess installer;
    if (!installer.Start(parent) || !installer.WaitForWindow())
        return false;
    PostButtonClick(installer.Control(6));
    if (!installer.WaitForLineCount(1))
        return false;
    MessageBoxContent message;
    double start = NowMs();
    PostButtonClick(installer.Control(7));
    if (!installer.WaitForMessageBox(message, InstallDeadlineMs))
        return false;
    ms = NowMs() - start;
    PostButtonClick(GetDlgItem(message.box, IDOK));
    if (!installer.WaitForNoMessageBox() || !WaitFor([&] { return IsWindowEnabled(installer.Control(5)) != FALSE; }))
        return false;
    PostButtonClick(installer.Control(5));
    DWORD exitCode = 0;
    return installer.WaitForEndAfterQuit(&exitCode) && InstalledWhole(host);
}

// The same bytes, one WriteFile per file and one ReadFile to read it back,
// plus the installer's pauses. The folders are made beforehand: only the
// writing and reading are timed.
static double TimeFloor(const std::string& folder)
{
    static const char* const subfolders[] = {"Help\\", "PureLibraries\\", "PureLibraries\\UserLibraries\\",
                                             "Residents\\", "Examples\\", "Examples\\Quillfern\\",
                                             "Examples\\Quillfern\\Tintwell\\"};
    for (const char* subfolder : subfolders)
        CreateDirectoryA((folder + subfolder).c_str(), nullptr);
    std::vector<std::string> bytes;
    for (Target target : AllTargets)
        bytes.push_back(PayloadBytes(target, Language::French));
    size_t largest = 0;
    for (const std::string& file : bytes)
        largest = std::max(largest, file.size());
    std::string readBack(largest, '\0');
    double start = NowMs();
    for (size_t i = 0; i < bytes.size(); i++) {
        std::string path = folder + TargetPath(AllTargets[i]);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        DWORD done = 0;
        WriteFile(file, bytes[i].data(), (DWORD)bytes[i].size(), &done, nullptr);
        CloseHandle(file);
        file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ReadFile(file, readBack.data(), (DWORD)bytes[i].size(), &done, nullptr);
        CloseHandle(file);
    }
    for (int i = 0; i < FloorPauses; i++)
        Sleep(10);
    return NowMs() - start;
}

// The file service as an installation uses it on one file: written byte by
// byte through its buffer, flushed, read back and moved into place. -1 when
// a step fails. (Here the calls are not inlined as in the program.)
static double TimeFileService(const std::string& folder, const std::string& bytes)
{
    std::string fresh = folder + "service.new", target = folder + "service.bin";
    const unsigned char* start = (const unsigned char*)bytes.data();
    double begin = NowMs();
    if (!FileCreate(0, fresh.c_str()))
        return -1;
    for (char byte : bytes)
        FileWriteByte(byte);
    int flushed = FileFlush(0);
    FileClose(0);
    bool done = flushed && FileMatches(fresh.c_str(), start, start + bytes.size())
                && FileMoveReplacing(fresh.c_str(), target.c_str());
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
    printf("file of %zu bytes: file service (byte by byte, flush, read-back, move) %.1f ms | one WriteFile and one"
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

int main(int argc, char** argv)
{
    int starts = CountArgument(argc, argv, "--starts=", 7);
    int installs = CountArgument(argc, argv, "--installs=", 5);
    PrepareServices(GetModuleHandleA(nullptr));
    const char* minimalPath = getenv("QUILLFERN_MINIMAL_WINDOW");
    if (InstallerPath().empty() || !minimalPath)
        return Fail("QUILLFERN_SETUP and QUILLFERN_MINIMAL_WINDOW name the two programs");
    std::string minimal = WindowsPath(minimalPath);
    std::string work = MakeTempFolder("bench");
    UnregisterHost();

    // One untimed start of each first, so neither pays alone for Wine's
    // first loading of the system DLLs; then the two alternate.
    const char* besidePath = getenv("QUILLFERN_SETUP_BESIDE");
    std::string beside = besidePath && *besidePath ? WindowsPath(besidePath) : "";
    double ignored = 0;
    if (!TimeInstallerStart(work, ignored) || !TimeMinimalStart(work, minimal, ignored)
        || (!beside.empty() && !TimeInstallerStart(work, ignored, beside)))
        return Fail("a window did not appear");
    std::vector<double> installerStarts, minimalStarts, besideStarts;
    for (int i = 0; i < starts; i++) {
        double installerMs = 0, minimalMs = 0, besideMs = 0;
        if (!TimeInstallerStart(work, installerMs) || !TimeMinimalStart(work, minimal, minimalMs)
            || (!beside.empty() && !TimeInstallerStart(work, besideMs, beside)))
            return Fail("a window did not appear");
        installerStarts.push_back(installerMs);
        minimalStarts.push_back(minimalMs);
        besideStarts.push_back(besideMs);
    }
    double installerStart = Median(installerStarts), minimalStart = Median(minimalStarts);
    printf("start-up installer: %.0f ms (median of %d) | minimal window: %.0f ms | ratio %.2f\n", installerStart,
           starts, minimalStart, installerStart / minimalStart);
    PrintRuns("installer", installerStarts);
    PrintRuns("minimal window", minimalStarts);
    if (!beside.empty()) {
        printf("start-up beside: %.0f ms (median of %d, the other build in the same rounds)\n", Median(besideStarts),
               starts);
        PrintRuns("other build", besideStarts);
    }
    fflush(stdout);

    std::vector<double> installations, floors;
    for (int i = 0; i < installs; i++) {
        std::string parent = MakeTempFolder("bench_install");
        double installMs = 0;
        bool done = TimeInstallation(parent, installMs);
        UnregisterHost();
        RemoveFolderTree(parent);
        if (!done)
            return Fail("an installation did not complete");
        std::string floorFolder = MakeTempFolder("bench_floor");
        floors.push_back(TimeFloor(floorFolder));
        RemoveFolderTree(floorFolder);
        installations.push_back(installMs);
    }
    double installation = Median(installations), floor = Median(floors);
    printf("installation: %.0f ms (median of %d) | floor (one WriteFile and one ReadFile per file, %d x 10 ms): %.0f ms"
           " | ratio %.2f\n",
           installation, installs, FloorPauses, floor, installation / floor);
    PrintRuns("installation", installations);
    PrintRuns("floor", floors);
    RemoveFolderTree(work);
    fflush(stdout);
    return TimeFileWriting(installs) ? 0 : Fail("the file service failed");
}
