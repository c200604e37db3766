#include "InstallerSession.h"
#include "InstallerView.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"
#include "support/Wide.h"
#include <algorithm>
#include <exception>
#include <fstream>

static const std::string Separator(62, '=');

static std::string LoggedName(Target target)
{
    return target == Target::Example ? "\\Tintwell\\Tintwell.pb" : TargetPath(target);
}

std::vector<std::string> ExpectedLog(Language language, const std::string& host, const std::set<Target>& notWritten)
{
    bool french = language == Language::French;
    auto fileLines = [&](Target target) {
        bool failed = notWritten.count(target) != 0;
        const char* label = french ? (failed ? "Fichier non écrit : " : "Fichier extrait : ")
                                   : (failed ? "File not written : " : "Extracted file : ");
        return std::vector<std::string>{"", label, LoggedName(target)};
    };
    std::vector<std::string> log = {french ? "Installation de la librairie :" : "Library installation :", Separator,
                                    host + " . . ."};
    for (Target target : {Target::Help, Target::Library, Target::Residents}) {
        auto lines = fileLines(target);
        log.insert(log.end(), lines.begin(), lines.end());
    }
    log.insert(log.end(), {"", Separator, host + "Examples\\Quillfern\\"});
    auto lines = fileLines(Target::Example);
    log.insert(log.end(), lines.begin(), lines.end());
    return log;
}

std::string ExpectedCompletionText(Language language, int notWritten)
{
    bool french = language == Language::French;
    if (notWritten == 0) {
        return french ? "      L'installation de la librairie Quillfern " QUILLFERN_SHOWN_VERSION "        \n      est terminée"
                      : "      Installation of Quillfern " QUILLFERN_SHOWN_VERSION "         \n      library is ended";
    }
    std::string count = std::to_string(notWritten);
    return french ? "      L'installation de la librairie Quillfern " QUILLFERN_SHOWN_VERSION "\n      est incomplète : " + count
            + " fichier(s) non écrit(s)."
                  : "      Installation of Quillfern " QUILLFERN_SHOWN_VERSION "\n      is incomplete: " + count + " file(s) not written.";
}

// The same text in the installer's two languages.
static std::string InLanguage(Language language, const char* french, const char* english)
{
    return language == Language::French ? french : english;
}

std::string ExpectedErrorTitle(Language language)
{
    return InLanguage(language, "Erreur :", "Error :");
}

std::string ExpectedNoHostText(Language language)
{
    return InLanguage(language, "      PureBasic est introuvable.\n      Rien n'a été installé.",
                      "      PureBasic could not be found.\n      Nothing was installed.");
}

std::string ExpectedFolderDialogTitle(Language language)
{
    return InLanguage(language, "Où se trouve PureBasic ?", "Where is PureBasic installed?");
}

std::string ExpectedNotAHostFolderText(Language language)
{
    return InLanguage(language,
                      "      Ce dossier ne contient pas PureBasic.exe.\n      Choisissez le dossier où PureBasic est installé.",
                      "      This folder does not contain PureBasic.exe.\n      Choose the folder where PureBasic is installed.");
}

std::string ExpectedHeldLine(Language language, const std::string& name, const std::string& holders)
{
    if (language == Language::French)
        return "Le fichier " + name + " est utilisé par " + (holders.empty() ? "un autre programme" : holders) + ".";
    return "The file " + name + " is in use by " + (holders.empty() ? "another program" : holders) + ".";
}

std::string ExpectedHeldTitle(Language language)
{
    return InLanguage(language, "Fichier utilisé :", "File in use :");
}

std::string ExpectedHeldText(Language language, const std::string& name, const std::string& holders)
{
    return ExpectedHeldLine(language, name, holders)
        + InLanguage(language, "\n\nFermez-le, puis réessayez ; ou annulez pour garder l'ancien fichier.",
                     "\n\nClose it, then retry; or cancel to keep the old file.");
}

std::set<std::string> ExpectedHostTree(const std::set<Target>& notWritten)
{
    std::set<std::string> tree = {"PureBasic.exe", "Examples\\", "Examples\\Quillfern\\",
                                  "Examples\\Quillfern\\Tintwell\\", "Help\\", "PureLibraries\\",
                                  "PureLibraries\\UserLibraries\\", "Residents\\"};
    for (Target target : AllTargets) {
        if (!notWritten.count(target))
            tree.insert(TargetPath(target));
    }
    return tree;
}

std::map<Target, std::string> WriteEarlierInstallation(const std::string& host)
{
    CreateDirectoryA(host.c_str(), nullptr);
    // The folders, parents sorted before children.
    for (const std::string& entry : ExpectedHostTree(std::set<Target>(std::begin(AllTargets), std::end(AllTargets)))) {
        if (entry.back() == '\\')
            CreateDirectoryA((host + entry).c_str(), nullptr);
    }
    std::map<Target, std::string> earlier;
    for (Target target : AllTargets) {
        earlier[target] = "Quillfern 2.00: " + TargetPath(target) + "\r\n";
        std::ofstream(host + TargetPath(target), std::ios::binary) << earlier[target];
    }
    return earlier;
}

namespace {
struct ScenarioStopped : std::exception {
    const char* what() const noexcept override { return "the scenario stopped at the failure above"; }
};
}

void StopScenario(const std::string& seen)
{
    ADD_FAILURE() << "Stopped at the first thing no step expects: " << seen;
    throw ScenarioStopped();
}

// Standard output ends as the /LOG= file does, with the exit code's line in
// the run's language: taken off the output, so that what is left compares
// with the log's other lines. False when it is not there.
static bool TakeExitCodeLine(InstallerRun& run)
{
    for (const char* label : {"Exit code: ", "Code de sortie : "}) {
        std::string line = label + std::to_string(run.exitCode) + "\r\n";
        if (run.output.size() >= line.size() && run.output.compare(run.output.size() - line.size(), line.size(), line) == 0) {
            run.output.resize(run.output.size() - line.size());
            return true;
        }
    }
    return false;
}

InstallerRun RunInstaller(const std::string& program, const std::string& arguments, const std::string& currentFolder,
                          const std::string& outputFile, HANDLE token)
{
    InstallerRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (outputFile.empty()) {
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
            return run;
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    } else {
        writeEnd = CreateFileW(WidePath(outputFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::wstring line = Wide("\"" + program + "\" " + arguments);
    BOOL started = token ? CreateProcessAsUserW(token, nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                                Wide(currentFolder).c_str(), &startup, &process)
                         : CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          Wide(currentFolder).c_str(), &startup, &process);
    CloseHandle(writeEnd);
    std::string windowShown;
    if (started) {
        DWORD start = GetTickCount();
        while (WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT && GetTickCount() - start < InstallDeadlineMs
               && windowShown.empty()) {
            windowShown = VisibleWindowOf(process.dwProcessId);
            if (readEnd)
                DrainPipe(readEnd, run.output);
        }
        run.finished = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
        if (!windowShown.empty() || !run.finished)
            EndDescendants(process.dwProcessId);
        if (!run.finished)
            TerminateProcess(process.hProcess, 0xDEAD);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (readEnd) {
        DrainPipe(readEnd, run.output);
        CloseHandle(readEnd);
    } else if (started) {
        run.output = ReadWholeFile(outputFile);
    }
    if (!windowShown.empty())
        StopScenario("\"" + arguments + "\": the installer showed " + windowShown + ", where it may show none");
    if (started && !run.finished)
        StopScenario("\"" + arguments + "\": the installer still ran at the deadline");
    if (!run.output.empty() && !TakeExitCodeLine(run))
        StopScenario("\"" + arguments + "\": standard output does not end with \"Exit code: "
                     + std::to_string(run.exitCode) + "\": " + run.output);
    return run;
}

HANDLE HoldOpen(const std::string& path, DWORD share)
{
    return CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void InstallerSession::SetUp()
{
    ASSERT_FALSE(InstallerPath().empty()) << "QUILLFERN_SETUP names the installer to test";
    installer.onUnexpected = StopScenario;
    UnregisterHost();
    parent = MakeTempFolder("e2e");
    // Something of the user's beside the host, which must stay as it is.
    CreateDirectoryA((parent + "Neighbour\\").c_str(), nullptr);
    HANDLE file = CreateFileA((parent + "Neighbour\\notes.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                              nullptr);
    CloseHandle(file);
    UseHost(parent + "Host\\");
}

void InstallerSession::TearDown()
{
    UnregisterHost();
    // A set-up stopped before its folder was made names none: an empty name
    // would take the working folder's contents.
    if (!parent.empty())
        RemoveFolderTree(parent);
}

void InstallerSession::UseHost(const std::string& folder, HKEY root)
{
    host = folder;
    MakePureBasicFolder(host);
    UnregisterHost();
    RegisterHost(root, host);
    parentBefore = ListTree(parent);
}

void InstallerSession::StartInstaller(const std::string& arguments)
{
    ASSERT_TRUE(installer.Start(parent, program, arguments)) << "cannot start " << program;
    ASSERT_TRUE(installer.WaitForWindow()) << "the installer window and its controls did not appear";
    ExpectPainted();
}

void InstallerSession::ExpectPainted(const MessageBoxContent* box)
{
    std::string missing;
    EXPECT_TRUE(WaitForPainted(installer, box, painted, missing)) << "not drawn on the screen as it should be: " << missing;
}

// What a screen reader is given, read from the inputs of Windows' own rules
// (Wine's accessibility layer cannot answer for Windows'):
// - a button's or a text's name is its window text, its role comes from its
//   class and style (a push button, a static text, a static picture);
// - a list box has no name of its own: it takes the text of the static text
//   found first going back through its earlier siblings (GW_HWNDPREV, the
//   reverse tab order), a hidden one included; the search stops at a
//   control with WS_GROUP and WS_TABSTOP.
static bool IsStaticText(HWND window)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    LONG kind = GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK;
    bool text = kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT || kind == SS_SIMPLE
        || kind == SS_LEFTNOWORDWRAP;
    return _stricmp(name, "Static") == 0 && text;
}

static std::string LabelName(HWND control)
{
    for (HWND before = GetWindow(control, GW_HWNDPREV); before; before = GetWindow(before, GW_HWNDPREV)) {
        if (IsStaticText(before))
            return TextOf(before);
        LONG style = GetWindowLongA(before, GWL_STYLE);
        if ((style & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP))
            return "";
    }
    return "";
}

static void ExpectScreenReaderNames(const InstallerProcess& installer, Language language)
{
    bool french = language == Language::French;
    EXPECT_EQ(LabelName(installer.List), french ? "Journal d'installation" : "Installation log")
        << "the log's name";
    HWND logo = GetDlgItem(installer.LogoBand, 11);
    EXPECT_EQ(GetWindowLongA(logo, GWL_STYLE) & SS_TYPEMASK, SS_BITMAP) << "the logo is a picture";
    EXPECT_EQ(TextOf(logo), "Quillfern " QUILLFERN_SHOWN_VERSION) << "the logo's name";
    HWND cancel = installer.Control(5);
    EXPECT_EQ(GetWindowLongA(cancel, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(TextOf(cancel), french ? "Annuler" : "Cancel") << "the picture button's name";
    EXPECT_TRUE(IsStaticText(GetDlgItem(installer.LogPanel, 14))) << "the credit line is a text";
}

void InstallerSession::ExpectChoosingState()
{
    EXPECT_TRUE(IsWindowEnabled(installer.Control(6)));
    EXPECT_TRUE(IsWindowEnabled(installer.Control(8)));
    EXPECT_TRUE(IsWindowEnabled(installer.Control(5)));
    EXPECT_FALSE(IsWindowEnabled(installer.Control(7))) << "install waits for a language";
    EXPECT_EQ(TextOf(installer.Control(6)), "Français");
    EXPECT_EQ(TextOf(installer.Control(8)), "English");
    EXPECT_EQ(TextOf(installer.Control(7)), "Installer");
    EXPECT_EQ(TextOf(installer.Control(5)), "Annuler") << "the picture button has a name for screen readers";
    EXPECT_EQ(TextOf(GetDlgItem(installer.LogPanel, 14)), "  Merçi à Orlanne pour le Logo/Thanks to Orlanne for Logo");
    EXPECT_EQ(installer.AskList(LB_GETCOUNT), 0);
    ExpectScreenReaderNames(installer, Language::French);
}

void InstallerSession::Click(int control, bool withMouse)
{
    if (withMouse)
        ClickWithMouse(installer.Control(control));
    else
        PostButtonClick(installer.Control(control));
}

void InstallerSession::ChooseLanguage(Language chosen, bool withMouse)
{
    language = chosen;
    bool french = chosen == Language::French;
    Click(french ? 6 : 8, withMouse);
    ASSERT_TRUE(installer.WaitForLineCount(1)) << "no heading after the language choice";
    EXPECT_EQ(installer.LogLines()[0], french ? "Installation de la librairie :" : "Library installation :");
    // The texts change before the heading is added.
    EXPECT_FALSE(IsWindowEnabled(installer.Control(6)));
    EXPECT_FALSE(IsWindowEnabled(installer.Control(8)));
    EXPECT_TRUE(IsWindowEnabled(installer.Control(7)));
    EXPECT_TRUE(IsWindowEnabled(installer.Control(5)));
    EXPECT_EQ(TextOf(installer.Control(7)), french ? "Installer" : "Install");
    EXPECT_EQ(TextOf(installer.Control(5)), french ? "Annuler" : "Cancel");
    ExpectScreenReaderNames(installer, chosen);
    ExpectPainted();
}

void InstallerSession::Install(MessageBoxContent& message, bool withMouse)
{
    Click(7, withMouse);
    ASSERT_TRUE(installer.WaitForMessageBox(message, InstallDeadlineMs)) << "no message box after install";
}

void InstallerSession::ExpectFolderDialog(FolderDialogContent& dialog)
{
    Click(7, false);
    ASSERT_TRUE(installer.WaitForFolderDialog(dialog)) << "no folder dialog after install";
    EXPECT_EQ(dialog.title, ExpectedFolderDialogTitle(language));
    EXPECT_EQ(GetWindow(dialog.dialog, GW_OWNER), installer.Main) << "owned by the installer window";
    EXPECT_FALSE(IsWindowEnabled(installer.Main)) << "modal";
    EXPECT_FALSE(IsWindowEnabled(installer.Control(7)));
    EXPECT_FALSE(IsWindowEnabled(installer.Control(5)));
}

void InstallerSession::PickFolder(const FolderDialogContent& dialog, const std::string& path)
{
    ASSERT_TRUE(PickInFolderDialog(dialog, path)) << "the folder dialog took no answer";
}

void InstallerSession::StartAndInstall(Language chosen, MessageBoxContent& message)
{
    ASSERT_NO_FATAL_FAILURE(StartInstaller());
    ASSERT_NO_FATAL_FAILURE(ChooseLanguage(chosen));
    ASSERT_NO_FATAL_FAILURE(Install(message));
}

void InstallerSession::ExpectMessage(const MessageBoxContent& message, const std::string& title,
                                     const std::string& text, BoxIcon icon, std::vector<int> buttons)
{
    EXPECT_EQ(message.title, title);
    EXPECT_EQ(message.text, text);
    std::vector<int> shown = message.buttons;
    std::sort(shown.begin(), shown.end());
    std::sort(buttons.begin(), buttons.end());
    EXPECT_EQ(shown, buttons) << "the buttons";
    EXPECT_EQ(BoxIconName(WaitForIcon(message.icon, icon)), std::string(BoxIconName(icon)));
    ExpectPainted(&message);
}

void InstallerSession::ExpectHeldQuestion(const MessageBoxContent& message, const std::string& name,
                                          const std::string& holders)
{
    ExpectMessage(message, ExpectedHeldTitle(language), ExpectedHeldText(language, name, holders), BoxIcon::Warning,
                  {IDRETRY, IDCANCEL});
}

void InstallerSession::ExpectInstalled(Language installed, const std::set<Target>& notWritten,
                                       const std::map<Target, std::string>& before)
{
    EXPECT_EQ(installer.LogLines(), ExpectedLog(installed, host, notWritten));
    EXPECT_EQ(installer.AskList(LB_GETCARETINDEX), 17) << "the caret stands on the last line";
    EXPECT_EQ(installer.AskList(LB_GETCURSEL), LB_ERR) << "no line selected";
    ExpectHostFiles(host, installed, notWritten, before);
}

void ExpectHostFiles(const std::string& host, Language installed, const std::set<Target>& notWritten,
                     const std::map<Target, std::string>& before)
{
    for (Target target : AllTargets) {
        std::string path = host + TargetPath(target);
        if (!notWritten.count(target))
            EXPECT_TRUE(ReadWholeFile(path) == PayloadBytes(target, installed)) << path << " differs from its item";
        else if (before.count(target))
            EXPECT_TRUE(ReadWholeFile(path) == before.at(target)) << path << " lost what it held before";
        else
            EXPECT_FALSE(IsFile(path))
                << "a partial file is left: " << path;
        EXPECT_FALSE(PathExists(host + NewFilePath(target))) << "a new file is left beside " << path;
    }
}

void InstallerSession::Answer(MessageBoxContent& message, int button)
{
    HWND answered = message.box;
    PostButtonClick(GetDlgItem(answered, button));
    ASSERT_TRUE(WaitFor([&] { return installer.WaitForMessageBox(message, 0) && message.box != answered; },
                        InstallDeadlineMs))
        << "no message after the answer";
}

void InstallerSession::LetGoAndRetryToTheEnd(HANDLE holder, MessageBoxContent& message)
{
    CloseHandle(holder);
    ASSERT_NO_FATAL_FAILURE(Answer(message, IDRETRY));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::English, 0), BoxIcon::Information);
    ExpectInstalled(Language::English, {});
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
}

void InstallerSession::AnswerAndQuit(const MessageBoxContent& message, bool withMouse)
{
    HWND ok = GetDlgItem(message.box, IDOK);
    if (withMouse)
        ClickWithMouse(ok);
    else
        PostButtonClick(ok);
    ASSERT_TRUE(installer.WaitForNoMessageBox()) << "the message box stayed";
    ASSERT_TRUE(installer.WaitWatching([&] { return IsWindowEnabled(installer.Control(5)) != FALSE; },
                                       Awaited::State, "the cancel button"));
    EXPECT_FALSE(IsWindowEnabled(installer.Control(7))) << "one run installs once";
    EXPECT_FALSE(IsWindowEnabled(installer.Control(6)));
    EXPECT_FALSE(IsWindowEnabled(installer.Control(8)));
    Click(5, withMouse);
    ExpectEndWithCode0();
}

void InstallerSession::ExpectEndWithCode0()
{
    DWORD exitCode = 0xDEAD;
    bool ended = installer.WaitForEndAfterQuit(&exitCode);
    ASSERT_TRUE(ended) << "the installer did not end";
    EXPECT_EQ(exitCode, 0u);
}

// The parent's entries that are not the host folder or below it.
static std::set<std::string> OutsideHost(const std::set<std::string>& parentTree, const std::string& hostName)
{
    std::set<std::string> outside;
    for (const std::string& entry : parentTree) {
        if (hostName.empty() || entry.compare(0, hostName.size(), hostName) != 0)
            outside.insert(entry);
    }
    return outside;
}

void InstallerSession::ExpectNothingOutsideHost()
{
    bool hostInParent = host.compare(0, parent.size(), parent) == 0;
    std::string hostName = hostInParent ? host.substr(parent.size()) : "";
    EXPECT_EQ(OutsideHost(ListTree(parent), hostName), OutsideHost(parentBefore, hostName))
        << "written beside the host folder";
}
