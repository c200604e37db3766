// The installer started from a script: /S, /L=, /D=, /?, its exit codes, its
// log on standard output, and one installation at a time. A silent run is
// watched while it runs: no window of it may ever be visible.
#include "InstallerSession.h"
#include "InstallerView.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"
#include "support/Wide.h"
#include "payload/Payload.h"
#include <aclapi.h>
#include <fstream>
#include <future>
#include <sddl.h>
#include <tuple>

namespace {

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// A folder or file without a trailing backslash.
std::string Unslashed(const std::string& path)
{
    return path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
}

// The path as Linux names it, quoted for a Linux program's command line.
std::string UnixPath(const std::string& path)
{
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = (UnixName)(void (*)())GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    char* name = unixName ? unixName(Wide(Unslashed(path)).c_str()) : nullptr;
    std::string quoted = "\"" + std::string(name ? name : "") + "\"";
    HeapFree(GetProcessHeap(), 0, name);
    return quoted;
}

// Runs a Linux program (its Windows name, then its command line) until the
// path exists, or no longer does: Wine's handle of a Linux process does not
// wait for its end.
bool RunLinuxUntil(const char* program, std::string line, const std::string& path, bool exists)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (DWORD start = GetTickCount(); GetTickCount() - start < WindowDeadlineMs; Sleep(1)) {
        if ((GetFileAttributesW(WidePath(Unslashed(path)).c_str()) != INVALID_FILE_ATTRIBUTES) == exists)
            return true;
    }
    return false;
}

// Wine makes no link of its own (CreateSymbolicLinkW succeeds and makes
// nothing): a symbolic link made on the Linux side, which Windows programs
// see as a reparse point, stands in for a junction or a mount point. Wine
// removes no link to a folder: the Linux side does, before the case's
// folders go.
bool MakeLink(const std::string& link, const std::string& target)
{
    return RunLinuxUntil("Z:\\bin\\ln", "ln -s " + UnixPath(target) + " " + UnixPath(link), link, true);
}

bool RemoveLink(const std::string& link)
{
    return RunLinuxUntil("Z:\\bin\\rm", "rm " + UnixPath(link), link, false);
}

// A second name for the file, made on the Linux side.
bool MakeHardLink(const std::string& link, const std::string& target)
{
    return RunLinuxUntil("Z:\\bin\\ln", "ln " + UnixPath(target) + " " + UnixPath(link), link, true);
}

// The Linux path of what lies, or will lie, `below` an existing folder.
std::string UnixBelow(const std::string& folder, const std::string& below)
{
    std::string quoted = UnixPath(folder);
    return quoted.substr(0, quoted.size() - 1) + "/" + below + "\"";
}

// The watched build pauses at the step of the new file (or log file) of
// that name, and has the Linux side run the command, which swaps a folder:
// what an attacker does after every check. The script's last act is to
// make a file in its own folder.
std::string SwapFolder;

void NoSwap()
{
    for (const char* variable : {"QUILLFERN_SWAP_SCRIPT", "QUILLFERN_SWAP_STEP", "QUILLFERN_SWAP_NAME",
                                 "QUILLFERN_SWAP_DONE"})
        SetEnvironmentVariableA(variable, nullptr);
    if (!SwapFolder.empty())
        RemoveFolderTree(SwapFolder);
    SwapFolder.clear();
}

void SwapAt(const char* step, const char* name, const std::string& command)
{
    NoSwap();
    std::string folder = SwapFolder = MakeTempFolder("swap");
    std::ofstream(folder + "swap.sh", std::ios::binary) << command << " && touch " << UnixBelow(folder, "done") << "\n";
    SetEnvironmentVariableA("QUILLFERN_SWAP_SCRIPT", UnixPath(folder + "swap.sh").c_str());
    SetEnvironmentVariableA("QUILLFERN_SWAP_STEP", step);
    SetEnvironmentVariableA("QUILLFERN_SWAP_NAME", name);
    SetEnvironmentVariableA("QUILLFERN_SWAP_DONE", (folder + "done").c_str());
}

// The folder (`name` below `parent`) moved aside, and in its place a link
// to `outside`.
std::string MoveAsideForLink(const std::string& parent, const std::string& name, const std::string& outside)
{
    return "mv " + UnixBelow(parent, name) + " " + UnixBelow(parent, name + "-aside") + " && ln -s "
        + UnixPath(outside) + " " + UnixBelow(parent, name);
}


// The log's line for a file not written (or read, or removed) through a link.
std::string LinkLine(const std::string& name, const std::string& link, const std::string& done = "written")
{
    return "The file " + name + " is not " + done + " through the link " + link + ".";
}

// The log with the link's line after each file that the label says was
// not written.
std::vector<std::string> WithLinkLines(std::vector<std::string> log, const std::string& link)
{
    for (size_t i = 1; i < log.size(); i++) {
        if (log[i - 1] != "File not written : ")
            continue;
        std::string line = LinkLine(log[i], link);
        log.insert(log.begin() + (long)++i, line);
    }
    return log;
}

}

class SilentInstall : public InstallerSession {
protected:
    void TearDown() override
    {
        NoSwap();
        InstallerSession::TearDown();
    }
    // A run that ended by itself with the code, no window ever shown; another
    // code stops the scenario, whose later steps build on this one.
    InstallerRun ExpectSilentEnd(const std::string& arguments, DWORD exitCode, const std::string& outputFile = "",
                                 HANDLE token = nullptr)
    {
        InstallerRun run = RunInstaller(program, arguments, parent, outputFile, token);
        if (run.exitCode != exitCode)
            StopScenario("\"" + arguments + "\": the installer ended with exit code " + std::to_string(run.exitCode)
                         + " instead of " + std::to_string(exitCode));
        return run;
    }
};

TEST_F(SilentInstall, LogsTheWindowsLinesAndInstallsIntoTheRegisteredOrNamedFolder)
{
    MakePureBasicFolder(host);
    InstallerRun english = ExpectSilentEnd("/S /L=en", 0);
    EXPECT_EQ(english.output, Joined(ExpectedLog(Language::English, host, {})));
    ExpectHostFiles(host, Language::English, {});

    // Named, with blanks and no quotes, no registration at all; the log to a file.
    UnregisterHost();
    std::string named = parent + "Pure Basic 6\\";
    MakePureBasicFolder(named);
    std::string logs = MakeTempFolder("logs");
    InstallerRun french = ExpectSilentEnd("/s /l=FR /D=" + named.substr(0, named.size() - 1), 0, logs + "install.log");
    EXPECT_EQ(french.output, Joined(ExpectedLog(Language::French, named, {})));
    ExpectHostFiles(named, Language::French, {});
    RemoveFolderTree(logs);
}

TEST_F(SilentInstall, NoPureBasicFolderEndsWith2AndWritesNothing)
{
    // No registration; a stale one, where the window would ask; a named
    // folder that does not hold PureBasic.exe.
    std::string registered = host;
    UnregisterHost();
    std::string logs = MakeTempFolder("logs");
    InstallerRun unregistered = ExpectSilentEnd("/S /L=en /LOG=" + logs + "setup.log", 2);
    EXPECT_EQ(unregistered.output, "Library installation :\r\n");
    EXPECT_EQ(ReadWholeFile(logs + "setup.log"), unregistered.output + "Exit code: 2\r\n");
    RemoveFolderTree(logs);
    std::string empty = parent + "Empty\\";
    CreateDirectoryA(empty.c_str(), nullptr);
    RegisterHost(HKEY_CLASSES_ROOT, empty);
    parentBefore = ListTree(parent);
    ExpectSilentEnd("/S", 2);
    UnregisterHost();
    ExpectSilentEnd("/S /D=\"" + empty + "\"", 2);
    EXPECT_TRUE(ListTree(empty).empty());
    EXPECT_EQ(ListTree(registered), std::set<std::string>{"PureBasic.exe"});
    ExpectNothingOutsideHost();
}

// The log ends with a line for the file held open, naming "another program"
// (Wine's Restart Manager names none); none for the read-only one. So does
// the log file, before its exit code.
TEST_F(SilentInstall, AReadOnlyOrHeldFileIsKeptAndTheRunEndsWith3)
{
    std::map<Target, std::string> before = WriteEarlierInstallation(host);
    MakePureBasicFolder(host);
    std::string protectedFile = host + TargetPath(Target::Library);
    ASSERT_TRUE(SetFileAttributesA(protectedFile.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE viewer = HoldOpen(host + TargetPath(Target::Help), FILE_SHARE_READ);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    std::string logs = MakeTempFolder("logs");
    InstallerRun run = ExpectSilentEnd("/L=en /S /LOG=" + logs + "setup.log", 3);
    CloseHandle(viewer);
    EXPECT_EQ(run.output, Joined(ExpectedLog(Language::English, host, {Target::Help, Target::Library}))
                  + ExpectedHeldLine(Language::English, TargetPath(Target::Help)) + "\r\n");
    EXPECT_EQ(ReadWholeFile(logs + "setup.log"), run.output + "Exit code: 3\r\n") << "the log file holds the same";
    RemoveFolderTree(logs);
    ExpectHostFiles(host, Language::English, {Target::Help, Target::Library}, before);
    EXPECT_NE(GetFileAttributesA(protectedFile.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(SilentInstall, ADamagedCopyEndsWith4WithoutAWindow)
{
    MakePureBasicFolder(host);
    parentBefore = ListTree(parent);
    std::string damaged = ReadWholeFile(program);
    size_t at = damaged.find(std::string((const char*)PayloadBlock, PayloadSize));
    ASSERT_NE(at, std::string::npos) << "the payload block is not in the program's file";
    damaged[at + PayloadChecks[0].offset + PayloadChecks[0].size / 2] ^= 0x01;
    std::string downloads = MakeTempFolder("damaged");
    program = downloads + "QuillfernSetup.exe";
    std::ofstream(program, std::ios::binary) << damaged;
    InstallerRun run = ExpectSilentEnd("/S", 4);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(ListTree(host), std::set<std::string>{"PureBasic.exe"});
    ExpectNothingOutsideHost();
    RemoveFolderTree(downloads);
}

TEST_F(SilentInstall, ACommandLineNotUnderstoodShowsTheUsageOrNothingAndEndsWith1)
{
    MakePureBasicFolder(host);
    parentBefore = ListTree(parent);
    // /? and a switch the program does not know show the same box.
    for (auto [arguments, exitCode] : {std::pair{"/Z", 1u}, std::pair{"/?", 0u}}) {
        SCOPED_TRACE(arguments);
        ASSERT_TRUE(installer.Start(parent, program, arguments));
        MessageBoxContent usage;
        ASSERT_TRUE(installer.WaitForMessageBox(usage, WindowDeadlineMs)) << "no usage box";
        EXPECT_EQ(usage.title, "QuillfernSetup /?");
        for (const char* said : {"/S", "/L=fr", "/D=dossier", "/D=folder", "/LOG=fichier", "/LOG=file",
                                 "Codes de sortie", "Exit codes", "5 another installation running",
                                 "log file not created"})
            EXPECT_NE(usage.text.find(said), std::string::npos) << said << " missing from: " << usage.text;
        EXPECT_EQ(usage.buttons, std::vector<int>{IDOK});
        EXPECT_EQ(installer.FindOwnTopLevel("WindowClass_0"), nullptr) << "the installer window opened";
        PostButtonClick(GetDlgItem(usage.box, IDOK));
        DWORD ended = 0xDEAD;
        ASSERT_TRUE(installer.WaitForEnd(&ended));
        EXPECT_EQ(ended, exitCode);
    }
    // The last one's /S is inside the folder's argument, its closing quote
    // taken by the backslash: still no box for the script that gave it.
    for (const char* arguments : {"/S /Z", "/S /S", "/S /L=de", "/S /D=", "/S /?", "/S /D=C:\\a\\\"b", "/S /LOG=",
                                  "/D=\"C:\\PB\\\" /S"}) {
        InstallerRun run = ExpectSilentEnd(arguments, 1);
        EXPECT_EQ(run.output, "") << arguments;
    }
    EXPECT_EQ(ListTree(host), std::set<std::string>{"PureBasic.exe"});
    ExpectNothingOutsideHost();
}

TEST_F(SilentInstall, ASecondStartBesideARunningInstallerChangesNothing)
{
    MakePureBasicFolder(host);
    parentBefore = ListTree(parent);
    ASSERT_NO_FATAL_FAILURE(StartInstaller());
    ExpectSilentEnd("", 0);
    InstallerRun silent = ExpectSilentEnd("/S /L=en", 5);
    EXPECT_EQ(silent.output, "");
    // Marked as the copy an installer started with rights, but let go by none.
    InstallerRun forged = ExpectSilentEnd("/S /L=en /RELAUNCHED=0123456789abcdef0123456789abcdef /D=" + host, 5);
    EXPECT_EQ(forged.output, "");
    EXPECT_EQ(ListTree(host), std::set<std::string>{"PureBasic.exe"}) << "the second run wrote";
    // The first one runs on undisturbed; once it has ended, a silent run installs.
    ExpectChoosingState();
    Click(5, false);
    ASSERT_NO_FATAL_FAILURE(ExpectEndWithCode0());
    ExpectSilentEnd("/S /L=en", 0);
    ExpectHostFiles(host, Language::English, {});
}

// A folder with blanks, the way scripts pass it: quotes around the whole
// switch (Python's subprocess, PowerShell), around the folder, or none at
// all with the folder running on to the next switch.
TEST_F(SilentInstall, AFolderWithBlanksInstallsHoweverItIsQuoted)
{
    UnregisterHost();
    int named = 0;
    for (const char* form : {"/S /L=en \"/D=%\"", "/D=\"%\" /S /L=en", "/L=en\t/D=%  /S "}) {
        SCOPED_TRACE(form);
        std::string folder = parent + "Pure Basic " + std::to_string(++named) + "\\";
        MakePureBasicFolder(folder);
        std::string arguments = form;
        arguments.replace(arguments.find('%'), 1, folder.substr(0, folder.size() - 1));
        ExpectSilentEnd(arguments, 0);
        ExpectHostFiles(folder, Language::English, {});
    }
}

// A run that holds the guard without a window here (silent, or in another
// session) is what the test stands in for: it holds the mutex itself, made
// as another account would make it, letting this one wait on it and no more.
TEST_F(SilentInstall, OnlyAHeldGuardRefusesAndAWindowedStartSaysSo)
{
    MakePureBasicFolder(host);
    SECURITY_ATTRIBUTES waitOnly = {sizeof waitOnly, nullptr, FALSE};
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;0x00100000;;;WD)", SDDL_REVISION_1,
                                                                     &waitOnly.lpSecurityDescriptor, nullptr));
    HANDLE guard = CreateMutexW(&waitOnly, FALSE, L"Global\\QuillfernSetup.Installation");
    LocalFree(waitOnly.lpSecurityDescriptor);
    ASSERT_NE(guard, nullptr);
    ASSERT_EQ(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, L"Global\\QuillfernSetup.Installation"), nullptr)
        << "the mutex gives full access";
    ExpectSilentEnd("/S /L=en", 0);
    ExpectHostFiles(host, Language::English, {});

    // The run that took it could not release it: abandoned, it is the test's.
    DWORD taken = WaitForSingleObject(guard, 0);
    ASSERT_TRUE(taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED);
    RemoveFolderTree(host);
    MakePureBasicFolder(host);
    parentBefore = ListTree(parent);
    ExpectSilentEnd("/S", 5);
    ASSERT_TRUE(installer.Start(parent, program));
    MessageBoxContent box;
    EXPECT_TRUE(installer.WaitForMessageBox(box, WindowDeadlineMs)) << "no box";
    EXPECT_EQ(box.title, "Infos :");
    EXPECT_EQ(box.text, "      Une installation est déjà en cours.\n      Attendez qu'elle soit terminée.\n\n"
                        "      An installation is already running.\n      Please wait until it has ended.");
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(BoxIconName(WaitForIcon(box.icon, BoxIcon::Information)), std::string(BoxIconName(BoxIcon::Information)));
    EXPECT_EQ(installer.FindOwnTopLevel("WindowClass_0"), nullptr) << "the installer window opened";
    PostButtonClick(GetDlgItem(box.box, IDOK));
    DWORD ended = 0xDEAD;
    EXPECT_TRUE(installer.WaitForEnd(&ended));
    EXPECT_EQ(ended, 5u);
    ReleaseMutex(guard);
    CloseHandle(guard);
    EXPECT_EQ(ListTree(host), std::set<std::string>{"PureBasic.exe"}) << "a refused run wrote";
    ExpectNothingOutsideHost();
}

// Without /S the window opens as usual; /L= changes nothing there, and the
// install click uses the folder named rather than the registered one.
TEST_F(SilentInstall, TheWindowInstallsIntoTheFolderNamed)
{
    std::string registered = host;
    std::string named = parent + "Named PB\\";
    MakePureBasicFolder(named);
    parentBefore = ListTree(parent);
    ASSERT_TRUE(installer.Start(parent, program, "/L=fr /D=\"" + named + "\""));
    ASSERT_TRUE(installer.WaitForWindow()) << "the installer window and its controls did not appear";
    ExpectChoosingState();
    ASSERT_NO_FATAL_FAILURE(ChooseLanguage(Language::English));
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(Install(message));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::English, 0), BoxIcon::Information);
    host = named;
    ExpectInstalled(Language::English, {});
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    EXPECT_EQ(ListTree(registered), std::set<std::string>{"PureBasic.exe"}) << "written into the registered folder";
}

// ---- /VERIFY and /UNINSTALL: the lines and codes as chosen for them.
namespace {

std::string FileLines(const std::string& label, Target target)
{
    return "\r\n" + label + "\r\n" + TargetPath(target) + "\r\n";
}

// PureBasic's own folders, as a real installation has them: never removed.
void MakePureBasicsOwnFolders(const std::string& host)
{
    for (const char* folder : {"Help", "Residents", "PureLibraries", "PureLibraries\\UserLibraries", "Examples"})
        CreateDirectoryA((host + folder).c_str(), nullptr);
}

}

TEST_F(SilentInstall, VerifyTellsEachFileAndTheRemovalKeepsAChangedOne)
{
    auto verified = [&](const std::vector<std::string>& labels, const std::string& result) {
        std::string text = "Library check :\r\n" + host + " . . .\r\n";
        for (size_t i = 0; i < labels.size(); i++)
            text += labels[i] + TargetPath(AllTargets[i]) + "\r\n";
        return text + result + "\r\n";
    };
    std::string logs = MakeTempFolder("logs");
    InstallerRun before = ExpectSilentEnd("/VERIFY /S /L=en /LOG=" + logs + "verify.log", 3);
    std::vector<std::string> missing(4, "Missing file : ");
    EXPECT_EQ(before.output, verified(missing, "Quillfern " QUILLFERN_SHOWN_VERSION " library is not installed whole: 4 file(s) missing or different."));
    EXPECT_EQ(ReadWholeFile(logs + "verify.log"), before.output + "Exit code: 3\r\n");
    EXPECT_EQ(ListTree(host), std::set<std::string>{"PureBasic.exe"}) << "a check wrote into the host";

    ExpectSilentEnd("/S /L=fr", 0);
    InstallerRun after = ExpectSilentEnd("/S /VERIFY /L=en", 0);
    std::vector<std::string> same(4, "File of " QUILLFERN_SHOWN_VERSION " : ");
    EXPECT_EQ(after.output, verified(same, "Quillfern " QUILLFERN_SHOWN_VERSION " library is installed whole."));

    std::string library = host + TargetPath(Target::Library);
    std::string changed = PayloadBytes(Target::Library, Language::English);
    changed[changed.size() / 2] ^= 0x01;
    std::ofstream(library, std::ios::binary) << changed;
    InstallerRun spoiled = ExpectSilentEnd("/S /VERIFY /L=en /D=" + host, 3);
    std::vector<std::string> oneDifferent = same;
    oneDifferent[1] = "Different file : ";
    EXPECT_EQ(spoiled.output, verified(oneDifferent, "Quillfern " QUILLFERN_SHOWN_VERSION " library is not installed whole: 1 file(s) missing or different."));

    // The changed library stays, and so does a help file held open; the
    // others go.
    HANDLE viewer = HoldOpen(host + TargetPath(Target::Help), FILE_SHARE_READ);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    InstallerRun removal = ExpectSilentEnd("/UNINSTALL /S /L=en /LOG=" + logs + "uninstall.log", 3);
    CloseHandle(viewer);
    EXPECT_EQ(removal.output,
              "Library removal :\r\n" + host + " . . .\r\n" + FileLines("File not removed : ", Target::Help)
                  + FileLines("File kept, not as " QUILLFERN_SHOWN_VERSION " installed it : ", Target::Library)
                  + FileLines("File kept, named after a sibling library that may need it : ", Target::Residents)
                  + FileLines("Removed file : ", Target::Example) + "\r\nRemoved folder : \r\nExamples\\Quillfern\\Tintwell\\\r\n"
                  + "\r\nRemoved folder : \r\nExamples\\Quillfern\\\r\n"
                  + "Removal of Quillfern " QUILLFERN_SHOWN_VERSION " is incomplete: 2 file(s) kept.\r\n"
                  + ExpectedHeldLine(Language::English, TargetPath(Target::Help)) + "\r\n");
    EXPECT_EQ(ReadWholeFile(logs + "uninstall.log"), removal.output + "Exit code: 3\r\n");
    EXPECT_EQ(ReadWholeFile(library), changed);
    EXPECT_EQ(ReadWholeFile(host + TargetPath(Target::Help)), PayloadBytes(Target::Help, Language::French));
    EXPECT_EQ(GetFileAttributesA((host + "Examples\\Quillfern").c_str()), INVALID_FILE_ATTRIBUTES);
    RemoveFolderTree(logs);
}

// The help file of either language goes; PureBasic's folders stay; another
// version's files are kept, each said so.
TEST_F(SilentInstall, UninstallAfterAnInstallationLeavesTheHostAsItWas)
{
    MakePureBasicsOwnFolders(host);
    std::set<std::string> before = ListTree(host);
    ExpectSilentEnd("/S /L=en", 0);
    InstallerRun removal = ExpectSilentEnd("/S /UNINSTALL /L=fr /D=" + host, 0);
    EXPECT_EQ(removal.output,
              "Suppression de la librairie :\r\n" + host + " . . .\r\n"
                  + FileLines("Fichier supprimé : ", Target::Help) + FileLines("Fichier supprimé : ", Target::Library)
                  + FileLines("Fichier gardé, au nom d'une librairie sœur qui peut en avoir besoin : ", Target::Residents)
                  + FileLines("Fichier supprimé : ", Target::Example)
                  + "\r\nDossier supprimé : \r\nExamples\\Quillfern\\Tintwell\\\r\n"
                  + "\r\nDossier supprimé : \r\nExamples\\Quillfern\\\r\n"
                  + "La librairie Quillfern " QUILLFERN_SHOWN_VERSION " est supprimée.\r\n");
    before.insert("Residents\\Ostravel.res");
    EXPECT_EQ(ListTree(host), before);
    // Nothing of this version left: nothing to do, and done.
    ExpectSilentEnd("/S /UNINSTALL /L=en", 0);

    std::map<Target, std::string> earlier = WriteEarlierInstallation(host);
    InstallerRun kept = ExpectSilentEnd("/S /UNINSTALL /L=en", 3);
    EXPECT_NE(kept.output.find(FileLines("File kept, not as " QUILLFERN_SHOWN_VERSION " installed it : ", Target::Help)), std::string::npos)
        << kept.output;
    for (Target target : AllTargets)
        EXPECT_EQ(ReadWholeFile(host + TargetPath(target)), earlier[target]);
}

// ---- Links. Every process started from here holds rights, as the copy
// with rights does, or a deployment tool running as SYSTEM: it writes
// through no link below the host folder.
TEST_F(SilentInstall, WithRightsNothingIsWrittenThroughALinkBelowTheHost)
{
    MakePureBasicFolder(host);
    std::string outside = MakeTempFolder("outside");
    std::ofstream(outside + "victim.txt", std::ios::binary) << "kept";
    ASSERT_TRUE(MakeLink(host + "Help", outside));
    // A leftover new file that is a link to a file of someone else's: it is
    // neither followed nor removed, and its target is not written.
    ASSERT_TRUE(CreateDirectoryA((host + "Residents").c_str(), nullptr));
    ASSERT_TRUE(MakeLink(host + NewFilePath(Target::Residents), outside + "victim.txt"));
    InstallerRun run = ExpectSilentEnd("/S /L=en", 3);
    std::vector<std::string> log = ExpectedLog(Language::English, host, {Target::Help, Target::Residents});
    log.insert(log.begin() + 6, LinkLine(TargetPath(Target::Help), host + "Help"));
    EXPECT_EQ(run.output, Joined(log));
    EXPECT_EQ(ListTree(outside), std::set<std::string>{"victim.txt"}) << "written through the link";
    EXPECT_EQ(ReadWholeFile(outside + "victim.txt"), "kept");
    for (Target target : {Target::Library, Target::Example})
        EXPECT_EQ(ReadWholeFile(host + TargetPath(target)), PayloadBytes(target, Language::English));
    EXPECT_TRUE(RemoveLink(host + "Help") && RemoveLink(host + NewFilePath(Target::Residents)));
    RemoveFolderTree(outside);
}

// Without /S, the result in one box at the end, and still no window.
TEST_F(SilentInstall, WithoutSilenceACheckOrARemovalTellsItsResultInOneBox)
{
    for (auto [arguments, title, text, exitCode] :
         {std::tuple{"/VERIFY /L=en", "Infos :", "Quillfern " QUILLFERN_SHOWN_VERSION " library is not installed whole: 4 file(s) missing or different.", 3u},
          std::tuple{"/UNINSTALL /L=fr", "Infos :", "La librairie Quillfern " QUILLFERN_SHOWN_VERSION " est supprimée.", 0u}}) {
        SCOPED_TRACE(arguments);
        ASSERT_TRUE(installer.Start(parent, program, arguments));
        MessageBoxContent box;
        ASSERT_TRUE(installer.WaitForMessageBox(box, WindowDeadlineMs)) << "no result box";
        EXPECT_EQ(box.title, title);
        EXPECT_EQ(box.text, std::string("      ") + text);
        EXPECT_EQ(installer.FindOwnTopLevel("WindowClass_0"), nullptr) << "the installer window opened";
        PostButtonClick(GetDlgItem(box.box, IDOK));
        DWORD ended = 0xDEAD;
        ASSERT_TRUE(installer.WaitForEnd(&ended));
        EXPECT_EQ(ended, exitCode);
    }
}

// A check or a removal with rights reaches nothing through a link: the file
// of this version's bytes beyond it is neither taken for the installed one
// nor removed.
TEST_F(SilentInstall, WithRightsNothingIsReadOrRemovedThroughALinkBelowTheHost)
{
    std::string outside = MakeTempFolder("outside");
    std::ofstream(outside + "Quillfern.chm", std::ios::binary) << PayloadBytes(Target::Help, Language::English);
    ASSERT_TRUE(MakeLink(host + "Help", outside));
    InstallerRun check = ExpectSilentEnd("/S /VERIFY /L=en", 3);
    EXPECT_NE(check.output.find("Different file : " + TargetPath(Target::Help) + "\r\n"
                                + LinkLine(TargetPath(Target::Help), host + "Help", "read") + "\r\n"),
              std::string::npos)
        << check.output;
    InstallerRun run = ExpectSilentEnd("/S /UNINSTALL /L=en", 3);
    EXPECT_NE(run.output.find("File not removed : \r\n" + TargetPath(Target::Help) + "\r\nThe file "
                              + TargetPath(Target::Help) + " is not removed through the link " + host + "Help.\r\n"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(ReadWholeFile(outside + "Quillfern.chm"), PayloadBytes(Target::Help, Language::English));
    EXPECT_TRUE(RemoveLink(host + "Help"));
    RemoveFolderTree(outside);
}

// A PureBasic moved elsewhere and reached through a link installs into the
// folder itself; the log names it as it was given. A link to another
// machine is not gone through at all, by any step: what lies beyond it
// cannot be looked at without the system connecting there with the
// administrator's credentials. Wine reads no link: the watched build says
// where each leads, and takes links into QUILLFERN_REMOTE_FOLDER for links
// to a server. Where no handle's final path can be had, every folder on the
// way counts as a link.
TEST_F(SilentInstall, WithRightsAHostReachedThroughALinkInstallsIntoItsFolderUnlessItLeadsToAServer)
{
    program = PathFromEnvironment("QUILLFERN_SETUP_RELAUNCH_WATCHED");
    ASSERT_FALSE(program.empty()) << "QUILLFERN_SETUP_RELAUNCH_WATCHED names the watched build";
    UnregisterHost();
    std::string real = parent + "Real PB\\";
    MakePureBasicFolder(real);
    std::string linked = parent + "Moved PB\\";
    ASSERT_TRUE(MakeLink(linked, real));
    InstallerRun run = ExpectSilentEnd("/S /L=en /D=" + linked, 0);
    EXPECT_EQ(run.output, Joined(ExpectedLog(Language::English, linked, {})));
    ExpectHostFiles(real, Language::English, {});

    std::string server = parent + "Server PB\\";
    MakePureBasicFolder(server);
    std::string remote = parent + "Remote PB\\";
    ASSERT_TRUE(MakeLink(remote, server));
    SetEnvironmentVariableA("QUILLFERN_REMOTE_FOLDER", server.c_str());
    run = ExpectSilentEnd("/S /L=en /D=" + remote, 3);
    EXPECT_EQ(run.output, Joined(WithLinkLines(ExpectedLog(Language::English, remote, std::set<Target>(std::begin(AllTargets), std::end(AllTargets))),
                                               Unslashed(remote))));
    run = ExpectSilentEnd("/S /VERIFY /L=en /D=" + remote, 3);
    EXPECT_NE(run.output.find("Different file : " + TargetPath(Target::Library) + "\r\n"
                              + LinkLine(TargetPath(Target::Library), Unslashed(remote), "read") + "\r\n"),
              std::string::npos)
        << run.output;
    run = ExpectSilentEnd("/S /UNINSTALL /L=en /D=" + remote, 3);
    EXPECT_NE(run.output.find(LinkLine(TargetPath(Target::Library), Unslashed(remote), "removed")), std::string::npos)
        << run.output;
    SetEnvironmentVariableA("QUILLFERN_REMOTE_FOLDER", nullptr);
    EXPECT_EQ(ListTree(server), std::set<std::string>{"PureBasic.exe"}) << "written through the link";

    std::string plain = parent + "Plain PB\\";
    MakePureBasicFolder(plain);
    SetEnvironmentVariableA("QUILLFERN_NO_FINAL_PATH", "1");
    run = ExpectSilentEnd("/S /L=en /D=" + plain, 3);
    SetEnvironmentVariableA("QUILLFERN_NO_FINAL_PATH", nullptr);
    EXPECT_EQ(ListTree(plain), std::set<std::string>{"PureBasic.exe"}) << "a handle of unknown final path taken for no link";
    EXPECT_TRUE(RemoveLink(linked) && RemoveLink(remote));
}

// A folder that another program holds without sharing may still hold the
// file: the check says it differs, the removal keeps and counts it, and
// neither takes it for missing.
TEST_F(SilentInstall, AFileBehindAFolderHeldWithoutSharingIsNotTakenForMissing)
{
    ExpectSilentEnd("/S /L=en", 0);
    HANDLE held = CreateFileW(WidePath(host + "Help").c_str(), FILE_LIST_DIRECTORY, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    InstallerRun check = ExpectSilentEnd("/S /VERIFY /L=en", 3);
    EXPECT_NE(check.output.find("Different file : " + TargetPath(Target::Help) + "\r\n"), std::string::npos)
        << check.output;
    InstallerRun removal = ExpectSilentEnd("/S /UNINSTALL /L=en", 3);
    CloseHandle(held);
    EXPECT_NE(removal.output.find(FileLines("File not removed : ", Target::Help)), std::string::npos) << removal.output;
    EXPECT_EQ(removal.output.find("Missing file"), std::string::npos) << removal.output;
    EXPECT_EQ(ReadWholeFile(host + TargetPath(Target::Help)), PayloadBytes(Target::Help, Language::English));
}

// The watched build tries to rename each folder just before it writes a new
// file into it, as someone swapping it for a link would: with rights, every
// folder on the way is held until the installation ends.
TEST_F(SilentInstall, WithRightsNoFolderCanBeSwappedBeforeAFileIsWritten)
{
    program = PathFromEnvironment("QUILLFERN_SETUP_RELAUNCH_WATCHED");
    ASSERT_FALSE(program.empty()) << "QUILLFERN_SETUP_RELAUNCH_WATCHED names the watched build";
    std::string swaps = MakeTempFolder("swaps") + "swaps.txt";
    SetEnvironmentVariableA("QUILLFERN_SWAP_LOG", swaps.c_str());
    InstallerRun run = ExpectSilentEnd("/S /L=en", 0);
    SetEnvironmentVariableA("QUILLFERN_SWAP_LOG", nullptr);
    EXPECT_EQ(run.output, Joined(ExpectedLog(Language::English, host, {})));
    EXPECT_EQ(ReadWholeFile(swaps), "guarded\nheld\nrenamed\nheld\nrenamed\nheld\nrenamed\nheld\nrenamed\n")
        << "no RedirectionGuard, a folder that could be renamed before its file was written, or a move by path";
    ExpectHostFiles(host, Language::English, {});
    RemoveFolderTree(swaps.substr(0, swaps.rfind('\\') + 1));
}

// The Linux side swaps a folder at the exact step, after every check: with
// rights nothing is reached by its path again, so nothing is written where
// a link put in its place leads.
TEST_F(SilentInstall, WithRightsAFolderSwappedAfterItsCheckLeadsNowhere)
{
    program = PathFromEnvironment("QUILLFERN_SETUP_RELAUNCH_WATCHED");
    ASSERT_FALSE(program.empty()) << "QUILLFERN_SETUP_RELAUNCH_WATCHED names the watched build";
    UnregisterHost();
    // The example's new, empty folder, just before the example is made in it.
    std::string first = parent + "First PB\\";
    MakePureBasicFolder(first);
    std::string empty = MakeTempFolder("empty");
    std::string tintwell = first + "Examples\\Quillfern\\Tintwell";
    SwapAt("create", "Tintwell.pb.new", "rmdir " + UnixBelow(first, "Examples/Quillfern/Tintwell") + " && ln -s "
           + UnixPath(empty) + " " + UnixBelow(first, "Examples/Quillfern/Tintwell"));
    InstallerRun run = ExpectSilentEnd("/S /L=en /D=" + first, 3);
    std::vector<std::string> log = ExpectedLog(Language::English, first, {Target::Example});
    log.push_back(LinkLine("\\Tintwell\\Tintwell.pb", tintwell));
    EXPECT_EQ(run.output, Joined(log));
    EXPECT_EQ(ListTree(empty), std::set<std::string>{}) << "written through the link";
    EXPECT_TRUE(RemoveLink(tintwell));

    // Help, between the new help file's writing and its read-back: the path
    // then leads to a folder holding another new file of that name.
    std::string second = parent + "Second PB\\";
    MakePureBasicFolder(second);
    SwapAt("readback", "Quillfern.chm.new", "mv " + UnixBelow(second, "Help") + " " + UnixBelow(second, "Help-aside")
           + " && mkdir " + UnixBelow(second, "Help") + " && echo theirs > " + UnixBelow(second, "Help/Quillfern.chm.new"));
    run = ExpectSilentEnd("/S /L=en /D=" + second, 0);
    EXPECT_EQ(run.output, Joined(ExpectedLog(Language::English, second, {}))) << "read back by its path";

    // The log's folder, just before the log file is made in it.
    std::string logs = MakeTempFolder("logs");
    ASSERT_TRUE(CreateDirectoryA((logs + "Journal").c_str(), nullptr));
    SwapAt("create", "setup.log", MoveAsideForLink(logs, "Journal", empty));
    run = RunInstaller(program, "/S /L=en /D=" + first + " /LOG=" + logs + "Journal\\setup.log", parent);
    NoSwap();
    EXPECT_EQ(ListTree(empty), std::set<std::string>{}) << "the log written through the link";
    // Made in the folder moved aside, through its handle. Windows keeps it
    // there; Wine names a held folder by the path it was opened by, which
    // now leads through the link, so the file looks reached through one and
    // is refused (and Wine, removing by that path too, leaves it there).
    if (run.exitCode == 0)
        EXPECT_EQ(ReadWholeFile(logs + "Journal-aside\\setup.log"), run.output + "Exit code: 0\r\n");
    else
        EXPECT_EQ(run.exitCode, 1u);

    // A log file that is a second name of another file is refused.
    std::string victim = logs + "victim.txt";
    std::ofstream(victim, std::ios::binary) << "kept";
    ASSERT_TRUE(MakeHardLink(logs + "second.log", victim));
    ExpectSilentEnd("/S /L=en /D=" + second + " /LOG=" + logs + "second.log", 1);
    EXPECT_EQ(ReadWholeFile(victim), "kept");

    EXPECT_TRUE(RemoveLink(logs + "Journal"));
    RemoveFolderTree(logs);
    RemoveFolderTree(empty);
}

// The log file holds standard output's lines and the exit code, wherever
// it is named: blanks and a non-ASCII name, unquoted (silent) or quoted (the
// window, whose run the installation's end code closes).
TEST_F(SilentInstall, ALogFileHoldsTheLinesAndTheExitCode)
{
    MakePureBasicFolder(host);
    std::string logs = MakeTempFolder("logs") + "Journaux \xC3\xA9t\xC3\xA9\\";
    ASSERT_TRUE(CreateDirectoryW(Wide(logs).c_str(), nullptr));
    std::string silentLog = logs + "install log \xC3\xA0.txt";
    InstallerRun run = ExpectSilentEnd("/S /LOG=" + silentLog + " /L=en", 0);
    EXPECT_EQ(run.output, Joined(ExpectedLog(Language::English, host, {})));
    EXPECT_EQ(ReadWholeFile(silentLog), run.output + "Exit code: 0\r\n");

    std::string windowLog = logs.substr(0, logs.find("Journaux")) + "window log.txt";
    std::ofstream(windowLog) << "an older log, longer than the new one will be" << std::string(8000, '.');
    // Made by someone else beforehand: a run with rights (every Wine run)
    // puts a file of its own in its place, which keeps none of the old one's
    // marks.
    ASSERT_TRUE(SetFileAttributesA(windowLog.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(installer.Start(parent, program, "\"/LOG=" + windowLog + "\""));
    ASSERT_TRUE(installer.WaitForWindow()) << "the installer window and its controls did not appear";
    ASSERT_NO_FATAL_FAILURE(ChooseLanguage(Language::French));
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(Install(message));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::French, 0), BoxIcon::Information);
    ExpectInstalled(Language::French, {});
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    EXPECT_EQ(ReadWholeFile(windowLog),
              Joined(ExpectedLog(Language::French, host, {})) + "Code de sortie : 0\r\n");
    EXPECT_FALSE(GetFileAttributesA(windowLog.c_str()) & FILE_ATTRIBUTE_HIDDEN) << "the older file reused";
    RemoveFolderTree(logs.substr(0, logs.find("Journaux")));
}

// A log file in a folder that does not exist: nothing is installed, the
// script reads why on standard output, the user in a box; exit code 1.
TEST_F(SilentInstall, ALogFileThatCannotBeCreatedStopsTheRunWithExitCode1)
{
    MakePureBasicFolder(host);
    parentBefore = ListTree(parent);
    std::string missing = parent + "No such folder\\setup.log";
    InstallerRun run = ExpectSilentEnd("/S /L=en /LOG=\"" + missing + "\"", 1);
    EXPECT_EQ(run.output, "The log file cannot be created: " + missing + "\r\n");

    ASSERT_TRUE(installer.Start(parent, program, "/LOG=" + missing));
    MessageBoxContent box;
    ASSERT_TRUE(installer.WaitForMessageBox(box, WindowDeadlineMs)) << "no box about the log file";
    EXPECT_EQ(box.title, "Erreur / Error :");
    EXPECT_EQ(box.text, "      Le fichier journal ne peut pas \xC3\xAAtre cr\xC3\xA9\xC3\xA9 : \n      " + missing
                            + "\n\n      The log file cannot be created: \n      " + missing);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(installer.FindOwnTopLevel("WindowClass_0"), nullptr) << "the installer window opened";
    PostButtonClick(GetDlgItem(box.box, IDOK));
    DWORD ended = 0xDEAD;
    ASSERT_TRUE(installer.WaitForEnd(&ended));
    EXPECT_EQ(ended, 1u);
    EXPECT_EQ(ListTree(host), std::set<std::string>{"PureBasic.exe"});
    ExpectNothingOutsideHost();
}

// ---- Rights. Under Wine every process holds a full administrator token and
// `runas` elevates nothing; a program started with LimitedToken() is
// limited, as a standard user is (or an administrator before consent), and
// so is the copy it starts. The watched build writes down each start of a
// copy with rights, and refuses it when told to.
class RightsInstall : public SilentInstall {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(SilentInstall::SetUp());
        program = PathFromEnvironment("QUILLFERN_SETUP_RELAUNCH_WATCHED");
        ASSERT_FALSE(program.empty()) << "QUILLFERN_SETUP_RELAUNCH_WATCHED names the watched build";
        limited = LimitedToken();
        ASSERT_NE(limited, nullptr) << "no linked token to start a limited installer with";
        calls = MakeTempFolder("relaunches") + "calls.txt";
        SetEnvironmentVariableA("QUILLFERN_RELAUNCH_LOG", calls.c_str());
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("QUILLFERN_RELAUNCH_LOG", nullptr);
        SetEnvironmentVariableA("QUILLFERN_REFUSE_CONSENT", nullptr);
        SetEnvironmentVariableA("QUILLFERN_EXECUTE_ERROR", nullptr);
        SetEnvironmentVariableA("QUILLFERN_HOST_UNWRITABLE", nullptr);
        SetEnvironmentVariableA("QUILLFERN_CHANNEL_GATE", nullptr);
        SetEnvironmentVariableA("QUILLFERN_COPY_EXIT", nullptr);
        if (limited)
            CloseHandle(limited);
        RemoveFolderTree(calls.substr(0, calls.rfind('\\') + 1));
        SilentInstall::TearDown();
    }
    // The read-only mount as the registered host; false without it.
    bool UseReadOnlyHost()
    {
        std::string readOnly = FolderFromEnvironment("QUILLFERN_READONLY_HOST");
        if (!readOnly.empty())
            UseHost(readOnly);
        return !readOnly.empty();
    }
    // Each start of a copy with rights so far: "verb|program|parameters".
    std::vector<std::string> Relaunches() const
    {
        std::vector<std::string> lines;
        std::string text = ReadWholeFile(calls);
        for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
            lines.push_back(text.substr(at, end - at));
        return lines;
    }
    // Of this program, with runas, in the language, with a channel of 32
    // hexadecimal digits and the host folder last; the program's file could
    // not be renamed meanwhile.
    void ExpectRelaunch(const std::string& call, const std::string& language)
    {
        std::string head = "runas|" + program + "|/S /L=" + language + " /RELAUNCHED=", tail = " /D=" + host + "|held";
        ASSERT_EQ(call.size(), head.size() + 32 + tail.size()) << call;
        EXPECT_EQ(call.substr(0, head.size()), head);
        EXPECT_EQ(call.substr(head.size(), 32).find_first_not_of("0123456789abcdef"), std::string::npos) << call;
        EXPECT_EQ(call.substr(head.size() + 32), tail);
    }

    // The earlier installation's help file held open (the viewer returned)
    // and the host taken for one this process may not write: the English
    // window's copy with rights asks about the held file, in `message`.
    void AskedAboutTheHelpFileHeld(HANDLE* viewer, MessageBoxContent& message)
    {
        SetEnvironmentVariableA("QUILLFERN_HOST_UNWRITABLE", "1");
        earlier = WriteEarlierInstallation(host);
        *viewer = HoldOpen(host + TargetPath(Target::Help), FILE_SHARE_READ);
        ASSERT_NE(*viewer, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(installer.Start(parent, program, "", limited));
        ASSERT_TRUE(installer.WaitForWindow()) << "the installer window and its controls did not appear";
        ASSERT_NO_FATAL_FAILURE(ChooseLanguage(Language::English));
        ASSERT_NO_FATAL_FAILURE(Install(message));
        ExpectHeldQuestion(message, TargetPath(Target::Help));
    }

    HANDLE limited = nullptr;
    std::string calls;
    std::map<Target, std::string> earlier;
};

TEST_F(RightsInstall, ALimitedTokenInstallsIntoAWritableHostWithoutAskingForRights)
{
    InstallerRun run = ExpectSilentEnd("/S /L=en", 0, "", limited);
    EXPECT_EQ(run.output, Joined(ExpectedLog(Language::English, host, {})));
    ExpectHostFiles(host, Language::English, {});
    EXPECT_EQ(Relaunches(), std::vector<std::string>{}) << "rights asked for a folder this process may write";
}

// A removal that rights would allow asks for them once, with /UNINSTALL;
// the copy removes and the first copy tells its lines as its own.
TEST_F(RightsInstall, ARemovalDeniedForWantOfRightsIsDoneByTheCopyWithRights)
{
    ExpectSilentEnd("/S /L=en", 0);
    SetEnvironmentVariableA("QUILLFERN_HOST_UNWRITABLE", "1");
    InstallerRun run = ExpectSilentEnd("/S /UNINSTALL /L=en", 0, "", limited);
    EXPECT_NE(run.output.find("Removed file : \r\n" + TargetPath(Target::Library) + "\r\n"), std::string::npos)
        << run.output;
    ASSERT_EQ(Relaunches().size(), 1u);
    EXPECT_EQ(Relaunches()[0].rfind("runas|" + program + "|/S /L=en /UNINSTALL /RELAUNCHED=", 0), 0u) << Relaunches()[0];
    EXPECT_EQ(ListTree(host), (std::set<std::string>{"PureBasic.exe", "Examples\\", "Help\\", "PureLibraries\\",
                                                     "PureLibraries\\UserLibraries\\", "Residents\\",
                                                     "Residents\\Ostravel.res"}));
    // A check asks for nothing.
    ExpectSilentEnd("/S /VERIFY", 3, "", limited);
    EXPECT_EQ(Relaunches().size(), 1u);
}

// The copy cannot write either under Wine: it reports every file not
// written, and the first copy shows that as its own.
TEST_F(RightsInstall, MountedReadOnlyHostAsksOnceAndTheFirstCopyReportsTheCopysInstallation)
{
    if (!UseReadOnlyHost())
        GTEST_SKIP() << "no read-only mount: the fixture needs root and mount (QUILLFERN_READONLY_HOST unset)";
    const std::set<Target> everyFile(std::begin(AllTargets), std::end(AllTargets));
    std::string logs = MakeTempFolder("logs");
    InstallerRun silent = ExpectSilentEnd("/S /L=en", 3, logs + "install.log", limited);
    EXPECT_EQ(silent.output, Joined(ExpectedLog(Language::English, host, everyFile)));
    RemoveFolderTree(logs);
    ASSERT_EQ(Relaunches().size(), 1u);
    ExpectRelaunch(Relaunches()[0], "en");

    // In the window the user clicked in, as if it had written the files itself.
    ASSERT_TRUE(installer.Start(parent, program, "", limited));
    ASSERT_TRUE(installer.WaitForWindow()) << "the installer window and its controls did not appear";
    ASSERT_NO_FATAL_FAILURE(ChooseLanguage(Language::French));
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(Install(message));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::French, 4), BoxIcon::Warning);
    ExpectInstalled(Language::French, everyFile);
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    ASSERT_EQ(Relaunches().size(), 2u);
    ExpectRelaunch(Relaunches()[1], "fr");

    // Already elevated: nothing more to ask for; what cannot be written is reported.
    ExpectSilentEnd("/S /L=en", 3);
    EXPECT_EQ(Relaunches().size(), 2u) << "an elevated installer asked for rights";
    EXPECT_EQ(ListTree(host), std::set<std::string>{"PureBasic.exe"});
}

TEST_F(RightsInstall, MountedReadOnlyHostWithRightsRefusedEndsWith6OrSaysSo)
{
    if (!UseReadOnlyHost())
        GTEST_SKIP() << "no read-only mount: the fixture needs root and mount (QUILLFERN_READONLY_HOST unset)";
    SetEnvironmentVariableA("QUILLFERN_REFUSE_CONSENT", "1");
    InstallerRun silent = ExpectSilentEnd("/S /L=fr", 6, "", limited);
    EXPECT_EQ(silent.output, "Installation de la librairie :\r\n");

    ASSERT_TRUE(installer.Start(parent, program, "", limited));
    ASSERT_TRUE(installer.WaitForWindow()) << "the installer window and its controls did not appear";
    ASSERT_NO_FATAL_FAILURE(ChooseLanguage(Language::English));
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(Install(message));
    ExpectMessage(message, "Error :",
                  "      Writing into the PureBasic folder needs administrator rights.\n      Nothing was installed.",
                  BoxIcon::Error);
    EXPECT_EQ(installer.LogLines(), std::vector<std::string>{"Library installation :"});
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    EXPECT_EQ(Relaunches().size(), 2u) << "asked more than once a run";
}

// The copy with rights meets the help file held open: the window the user
// clicked in asks (the box is the first copy's own), and on Retry, once the
// file is let go, the copy writes it. Under Wine the copy could not write
// where the first copy cannot; the watched build takes the writable host for
// one it may not write, so that the copy is started all the same.
TEST_F(RightsInstall, AFileHeldFromTheCopyWithRightsIsAskedAboutInTheWindow)
{
    HANDLE viewer = nullptr;
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(AskedAboutTheHelpFileHeld(&viewer, message));
    ASSERT_NO_FATAL_FAILURE(LetGoAndRetryToTheEnd(viewer, message));
    ASSERT_EQ(Relaunches().size(), 1u);
    ExpectRelaunch(Relaunches()[0], "en");
}

// A copy that ends without sending its result, with a crash's code or with
// one of the documented ones: said in the log and in a box, exit code 3.
TEST_F(RightsInstall, ACopyThatEndsWithoutAResultIsSaidAndEndsWith3)
{
    SetEnvironmentVariableA("QUILLFERN_HOST_UNWRITABLE", "1");
    SetEnvironmentVariableA("QUILLFERN_COPY_EXIT", "0xC0000005");
    std::string logs = MakeTempFolder("logs");
    InstallerRun crashed = ExpectSilentEnd("/S /L=en /LOG=" + logs + "setup.log", 3, "", limited);
    EXPECT_EQ(crashed.output, "Library installation :\r\n"
                              "The installation with administrator rights did not complete (code 0xC0000005).\r\n");
    EXPECT_EQ(ReadWholeFile(logs + "setup.log"), crashed.output + "Exit code: 3\r\n");
    RemoveFolderTree(logs);
    SetEnvironmentVariableA("QUILLFERN_COPY_EXIT", "2");
    InstallerRun noHost = ExpectSilentEnd("/S /L=fr", 3, "", limited);
    EXPECT_EQ(noHost.output, "Installation de la librairie :\r\n"
                             "L'installation avec les droits d'administrateur n'a pas abouti (code 2).\r\n");
    // A start that failed for another reason than a refusal is no refusal.
    SetEnvironmentVariableA("QUILLFERN_EXECUTE_ERROR", "2");
    InstallerRun notStarted = ExpectSilentEnd("/S /L=en", 3, "", limited);
    SetEnvironmentVariableA("QUILLFERN_EXECUTE_ERROR", nullptr);
    EXPECT_EQ(notStarted.output, "Library installation :\r\n"
                                 "The installation with administrator rights did not complete.\r\n");

    SetEnvironmentVariableA("QUILLFERN_COPY_EXIT", "0xC0000005");
    ASSERT_TRUE(installer.Start(parent, program, "", limited));
    ASSERT_TRUE(installer.WaitForWindow()) << "the installer window and its controls did not appear";
    ASSERT_NO_FATAL_FAILURE(ChooseLanguage(Language::English));
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(Install(message));
    ExpectMessage(message, "Error :",
                  "      The installation with administrator rights did not complete (code 0xC0000005).\n"
                  "      The files it reported are listed in the log.",
                  BoxIcon::Error);
    EXPECT_EQ(installer.LogLines(),
              (std::vector<std::string>{"Library installation :",
                                        "The installation with administrator rights did not complete (code "
                                        "0xC0000005)."}));
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    EXPECT_EQ(Relaunches().size(), 4u);
    EXPECT_EQ(ListTree(host), std::set<std::string>{"PureBasic.exe"});
}

namespace {

// An event the watched build waits on, named in its variable while this lives.
struct Hold {
    Hold(const char* variable, const wchar_t* name) : variable(variable)
    {
        event = CreateEventW(nullptr, TRUE, FALSE, name);
        std::wstring wide(name);
        SetEnvironmentVariableA(variable, std::string(wide.begin(), wide.end()).c_str());
    }
    ~Hold()
    {
        SetEnvironmentVariableA(variable, nullptr);
        SetEvent(event);
        CloseHandle(event);
    }
    const char* variable;
    HANDLE event;
};

// Windows calls a window "not responding" once it has read no message for
// five seconds: each look must be answered within a second, over a while.
bool AnswersThroughout(HWND window, DWORD forMs)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < forMs; Sleep(250)) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &result))
            return false;
    }
    return true;
}

}

// The consent prompt and the copy take their time: meanwhile the window
// answers, its buttons disabled, and a close request waits for the end.
TEST_F(RightsInstall, TheWindowAnswersWhileItWaitsForConsentAndForTheCopy)
{
    SetEnvironmentVariableA("QUILLFERN_HOST_UNWRITABLE", "1");
    Hold consent("QUILLFERN_HOLD_CONSENT", L"QuillfernTest.HoldConsent");
    Hold copy("QUILLFERN_HOLD_COPY", L"QuillfernTest.HoldCopy");
    ASSERT_TRUE(installer.Start(parent, program, "", limited));
    ASSERT_TRUE(installer.WaitForWindow()) << "the installer window and its controls did not appear";
    ASSERT_NO_FATAL_FAILURE(ChooseLanguage(Language::English));
    Click(7, false);
    ASSERT_TRUE(installer.WaitWatching([&] { return Relaunches().size() == 1; }, Awaited::State, "the consent prompt"));
    EXPECT_TRUE(AnswersThroughout(installer.Main, 2500)) << "the window did not answer during the consent prompt";
    EXPECT_FALSE(IsWindowEnabled(installer.Control(7)));
    EXPECT_FALSE(IsWindowEnabled(installer.Control(5)));

    SetEvent(consent.event);
    ASSERT_TRUE(installer.WaitWatching([&] { return !DescendantsOf(installer.Id()).empty(); }, Awaited::State,
                                       "the copy with rights"));
    EXPECT_TRUE(AnswersThroughout(installer.Main, 2500)) << "the window did not answer while the copy ran";
    PostMessageW(installer.Main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(AnswersThroughout(installer.Main, 1000));
    EXPECT_EQ(WaitForSingleObject(installer.Process(), 0), (DWORD)WAIT_TIMEOUT) << "closed with the copy at work";

    SetEvent(copy.event);
    MessageBoxContent message;
    ASSERT_TRUE(installer.WaitForMessageBox(message, InstallDeadlineMs)) << "no message box after the copy";
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::English, 0), BoxIcon::Information);
    ExpectInstalled(Language::English, {});
    // The close request is honoured once the user has read the end.
    PostButtonClick(GetDlgItem(message.box, IDOK));
    DWORD ended = 0xDEAD;
    ASSERT_TRUE(installer.WaitForEndAfterQuit(&ended));
    EXPECT_EQ(ended, 0u);
}

// The first copy killed while its copy waits for an answer: the copy keeps
// the held file and stops there, every other file left as it was.
TEST_F(RightsInstall, ACopyWhoseFirstCopyIsGoneStopsAfterItsFile)
{
    HANDLE viewer = nullptr;
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(AskedAboutTheHelpFileHeld(&viewer, message));
    std::vector<DWORD> copies = DescendantsOf(installer.Id());
    ASSERT_EQ(copies.size(), 1u);
    HANDLE copy = OpenProcess(SYNCHRONIZE, FALSE, copies[0]);
    ASSERT_NE(copy, nullptr);
    TerminateProcess(installer.Process(), 0xDEAD);
    EXPECT_EQ(WaitForSingleObject(copy, InstallDeadlineMs), (DWORD)WAIT_OBJECT_0) << "the copy went on";
    CloseHandle(copy);
    CloseHandle(viewer);
    const std::set<Target> everyFile(std::begin(AllTargets), std::end(AllTargets));
    ExpectHostFiles(host, Language::English, everyFile, earlier);
}

// Without rights a link is followed as before: the process can only write
// where its own user may.
TEST_F(RightsInstall, WithoutRightsALinkBelowTheHostIsFollowed)
{
    std::string outside = MakeTempFolder("outside");
    ASSERT_TRUE(MakeLink(host + "Help", outside));
    std::string swaps = MakeTempFolder("swaps") + "swaps.txt";
    SetEnvironmentVariableA("QUILLFERN_SWAP_LOG", swaps.c_str());
    InstallerRun run = ExpectSilentEnd("/S /L=en", 0, "", limited);
    EXPECT_EQ(run.output, Joined(ExpectedLog(Language::English, host, {})));
    EXPECT_EQ(ReadWholeFile(outside + "Quillfern.chm"), PayloadBytes(Target::Help, Language::English));
    EXPECT_EQ(Relaunches(), std::vector<std::string>{});
    EXPECT_EQ(ReadWholeFile(swaps).find("guarded"), std::string::npos) << "RedirectionGuard without rights";

    // The copy started for rights writes through no link, whatever its
    // token says (under Wine, the limited one of its first copy).
    DeleteFileA(swaps.c_str());
    DeleteFileA((outside + "Quillfern.chm").c_str());
    SetEnvironmentVariableA("QUILLFERN_HOST_UNWRITABLE", "1");
    run = ExpectSilentEnd("/S /L=en", 3, "", limited);
    std::vector<std::string> log = ExpectedLog(Language::English, host, {Target::Help});
    log.insert(log.begin() + 6, LinkLine(TargetPath(Target::Help), host + "Help"));
    EXPECT_EQ(run.output, Joined(log));
    EXPECT_EQ(ListTree(outside), std::set<std::string>{}) << "the copy wrote through the link";
    EXPECT_EQ(ReadWholeFile(swaps).substr(0, 8), "guarded\n") << "no RedirectionGuard in the copy";
    SetEnvironmentVariableA("QUILLFERN_SWAP_LOG", nullptr);
    EXPECT_TRUE(RemoveLink(host + "Help"));
    RemoveFolderTree(outside);
    RemoveFolderTree(swaps.substr(0, swaps.rfind('\\') + 1));
}

// A write test refused for another reason than rights (a read-only medium,
// a share that refuses writes: Wine says "access denied" for both, so the
// watched build says it) asks for nothing and installs what it can.
TEST_F(RightsInstall, AFailureThatRightsCannotCureAsksForNothing)
{
    SetEnvironmentVariableA("QUILLFERN_HOST_UNWRITABLE", "failed");
    InstallerRun run = ExpectSilentEnd("/S /L=en", 0, "", limited);
    EXPECT_EQ(run.output, Joined(ExpectedLog(Language::English, host, {})));
    EXPECT_EQ(Relaunches(), std::vector<std::string>{}) << "rights asked for what they cannot cure";
}

// The channel's name is on the copy's command line, which any process of
// the user may read. One that connects before the copy finds a pipe only
// its user and the Administrators may open, gets no go-ahead, and the copy
// still installs. The watched build's copy waits for the gate to connect.
TEST_F(RightsInstall, AProcessConnectingBeforeTheCopyGetsNoGoAhead)
{
    SetEnvironmentVariableA("QUILLFERN_HOST_UNWRITABLE", "1");
    std::string gateName = "QuillfernTestGate" + std::to_string(GetCurrentProcessId());
    HANDLE gate = CreateEventA(nullptr, TRUE, FALSE, gateName.c_str());
    ASSERT_NE(gate, nullptr);
    SetEnvironmentVariableA("QUILLFERN_CHANNEL_GATE", gateName.c_str());
    std::future<InstallerRun> first = std::async(std::launch::async, [&] {
        return RunInstaller(program, "/S /L=en", parent, "", limited);
    });
    std::string channel;
    for (DWORD start = GetTickCount(); channel.empty() && GetTickCount() - start < WindowDeadlineMs; Sleep(1)) {
        std::vector<std::string> calls = Relaunches();
        size_t at = calls.empty() ? std::string::npos : calls[0].find("/RELAUNCHED=");
        if (at != std::string::npos)
            channel = calls[0].substr(at + 12, 32);
    }
    HANDLE pipe = INVALID_HANDLE_VALUE;
    std::wstring path = Wide("\\\\.\\pipe\\QuillfernSetup." + channel);
    for (DWORD start = GetTickCount(); !channel.empty() && pipe == INVALID_HANDLE_VALUE
         && GetTickCount() - start < WindowDeadlineMs; Sleep(1))
        pipe = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | READ_CONTROL, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    EXPECT_NE(pipe, INVALID_HANDLE_VALUE) << "the channel \"" << channel << "\" could not be opened";
    if (pipe != INVALID_HANDLE_VALUE) {
        // Its security, read back as the system writes it down: a list of its
        // own, protected, for two accounts.
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        char* dacl = nullptr;
        char* user = nullptr;
        char userBlock[256];
        DWORD size = 0;
        EXPECT_EQ(GetSecurityInfo(pipe, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                                  nullptr, &descriptor), (DWORD)ERROR_SUCCESS);
        EXPECT_TRUE(descriptor && ConvertSecurityDescriptorToStringSecurityDescriptorA(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &dacl, nullptr));
        ASSERT_TRUE(GetTokenInformation(limited, TokenUser, userBlock, sizeof userBlock, &size)
                    && ConvertSidToStringSidA(((TOKEN_USER*)userBlock)->User.Sid, &user));
        EXPECT_EQ(std::string(dacl ? dacl : ""), std::string("D:P(A;;0x12019f;;;") + user + ")(A;;0x12019f;;;BA)");
        LocalFree(user);
        LocalFree(dacl);
        LocalFree(descriptor);

        // What the first copy sends this client: nothing, it is let go.
        char record = 0;
        DWORD read = 0;
        OVERLAPPED overlapped = {};
        overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        BOOL done = ReadFile(pipe, &record, 1, &read, &overlapped);
        if (!done && GetLastError() == ERROR_IO_PENDING) {
            if (WaitForSingleObject(overlapped.hEvent, WindowDeadlineMs) != WAIT_OBJECT_0)
                CancelIo(pipe);
            done = GetOverlappedResult(pipe, &overlapped, &read, TRUE);
        }
        EXPECT_FALSE(done && read == 1) << "the first copy let a client go that it did not start: '" << record << "'";
        CloseHandle(overlapped.hEvent);
        CloseHandle(pipe);
    }
    SetEvent(gate);
    InstallerRun run = first.get();
    CloseHandle(gate);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, Joined(ExpectedLog(Language::English, host, {})));
    ExpectHostFiles(host, Language::English, {});
    ASSERT_EQ(Relaunches().size(), 1u);
    ExpectRelaunch(Relaunches()[0], "en");
}

// A host the user may write whose residents folder refuses them asks once:
// the write test covers each sub-folder the installation writes into. The
// copy cannot write there either under Wine.
TEST_F(RightsInstall, MountedHostWithAReadOnlyResidentsFolderAsksOnce)
{
    std::string lockedHost = FolderFromEnvironment("QUILLFERN_LOCKED_RESIDENTS_HOST");
    if (lockedHost.empty())
        GTEST_SKIP() << "no read-only mount: the fixture needs root and mount (QUILLFERN_LOCKED_RESIDENTS_HOST unset)";
    UseHost(lockedHost);
    InstallerRun run = ExpectSilentEnd("/S /L=en", 3, "", limited);
    // The copy, a run with rights, takes the mounted folder for a mount point.
    std::vector<std::string> log = ExpectedLog(Language::English, host, {Target::Residents});
    log.insert(log.begin() + 12, LinkLine(TargetPath(Target::Residents), host + "Residents"));
    EXPECT_EQ(run.output, Joined(log));
    ASSERT_EQ(Relaunches().size(), 1u) << "the residents folder was not tested";
    ExpectRelaunch(Relaunches()[0], "en");
}
