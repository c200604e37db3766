#pragma once
// One run of the installer against a fresh host folder, and what a complete
// or partial installation must leave behind: the log, the message, the files.
#include "InstallerDriver.h"
#include "InstalledFiles.h"
#include "ScreenCheck.h"
#include <gtest/gtest.h>
#include <map>

std::vector<std::string> ExpectedLog(Language language, const std::string& host, const std::set<Target>& notWritten);
std::string ExpectedCompletionText(Language language, int notWritten);
std::string ExpectedErrorTitle(Language language);
std::string ExpectedNoHostText(Language language);
std::string ExpectedFolderDialogTitle(Language language);
std::string ExpectedNotAHostFolderText(Language language);
// A file held open by another program: the line that says so, naming the
// file as the log does and the holders (none named: "another program"), and
// the box that asks whether to try again.
std::string ExpectedHeldLine(Language language, const std::string& name, const std::string& holders = "");
std::string ExpectedHeldTitle(Language language);
std::string ExpectedHeldText(Language language, const std::string& name, const std::string& holders = "");
// The files under the host folder after an installation that left
// `notWritten` unwritten: each written one holds its item, each unwritten
// one what it held before (or is absent), and no new file is left beside any.
void ExpectHostFiles(const std::string& host, Language installed, const std::set<Target>& notWritten,
                     const std::map<Target, std::string>& before = {});
// The folders and the files that were written, as ListTree gives them.
std::set<std::string> ExpectedHostTree(const std::set<Target>& notWritten);
// The folders and four files of an earlier version under the host folder;
// their content, which differs from the items'.
std::map<Target, std::string> WriteEarlierInstallation(const std::string& host);

// Ends the case at once with a failure saying what was seen: a scenario
// that has seen the installer do what no step expects learns nothing from
// the steps after it, which would only wait out their deadlines. (It throws;
// GoogleTest ends the case there and tears it down.)
[[noreturn]] void StopScenario(const std::string& seen);

// A run of the installer from a script, watched until it ends: it may show
// no window at any moment. The first visible window ends it there (the
// process is ended) and stops the scenario, saying what the window was; so
// does a run still going at the deadline.
struct InstallerRun {
    bool finished = false;
    DWORD exitCode = 0xDEAD;
    std::string output;         // what it wrote to standard output, but its last line, the exit code's
};
// Its standard output is a pipe, or the file `outputFile` when one is named;
// it runs with `token` when one is given.
InstallerRun RunInstaller(const std::string& program, const std::string& arguments, const std::string& currentFolder,
                          const std::string& outputFile = "", HANDLE token = nullptr);

// Opens the file as a viewer or a compiler holds it: for reading, shared as
// given but never for deleting, so that it cannot be replaced while open.
HANDLE HoldOpen(const std::string& path, DWORD share);

class InstallerSession : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A PureBasic folder (made when it is not there), registered under `root`.
    void UseHost(const std::string& host, HKEY root = HKEY_CLASSES_ROOT);
    // Starts the installer and waits for its window to paint completely.
    void StartInstaller(const std::string& arguments = "");
    // Waits until the window, and the message box when given, has painted
    // completely; `painted` is the last capture.
    void ExpectPainted(const MessageBoxContent* box = nullptr);
    void ExpectChoosingState();
    // Clicks a language button (real mouse or posted) and checks the ready state.
    void ChooseLanguage(Language language, bool withMouse = false);
    void Click(int control, bool withMouse);
    // Clicks install and waits for the message box.
    void Install(MessageBoxContent& message, bool withMouse = false);
    // Clicks install and waits for the folder dialog: titled in the chosen
    // language, modal to the installer window, the buttons disabled.
    void ExpectFolderDialog(FolderDialogContent& dialog);
    void PickFolder(const FolderDialogContent& dialog, const std::string& path);
    // Starts the installer, chooses the language and installs (posted clicks).
    void StartAndInstall(Language chosen, MessageBoxContent& message);
    void ExpectMessage(const MessageBoxContent& message, const std::string& title, const std::string& text,
                       BoxIcon icon, std::vector<int> buttons = {IDOK});
    // The box about a held file, with Retry and Cancel.
    void ExpectHeldQuestion(const MessageBoxContent& message, const std::string& name,
                            const std::string& holders = "");
    // The log, caret and selection after an installation that left
    // `notWritten` unwritten, and the files on disk: each written one holds
    // its item, each unwritten one what it held before (or is absent), and
    // no new file is left beside any.
    void ExpectInstalled(Language language, const std::set<Target>& notWritten,
                         const std::map<Target, std::string>& before = {});
    // Presses the button of the box and waits for the next box, which
    // `message` then holds.
    void Answer(MessageBoxContent& message, int button);
    // OK, then the done state, then cancel: the program ends with exit code 0.
    void AnswerAndQuit(const MessageBoxContent& message, bool withMouse = false);
    // The held file's holder lets go and Retry is pressed on its box: the
    // English installation completes, every file written, and ends.
    void LetGoAndRetryToTheEnd(HANDLE holder, MessageBoxContent& message);
    void ExpectEndWithCode0();
    void ExpectNothingOutsideHost();

    std::string parent;             // holds the host folder; the installer's current folder
    std::string host;
    std::set<std::string> parentBefore;
    std::string program = InstallerPath();      // the installer StartInstaller runs
    // The watched build (RelaunchWatched.cpp), which answers what Wine cannot.
    static std::string WatchedBuild() { return PathFromEnvironment("QUILLFERN_SETUP_RELAUNCH_WATCHED"); }
    InstallerProcess installer;
    Language language = Language::French;
    ScreenImage painted;
};
