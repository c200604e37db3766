// The installer started from a script: /S, /L=, /D=, /?, its exit codes, its
// log on standard output, and one installation at a time. A silent run is
// watched while it runs: no window of it may ever be visible.
#include "InstallerSession.h"
#include "support/TempFolder.h"
#include "payload/Payload.h"
#include <fstream>

namespace {

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

}

class SilentInstall : public InstallerSession {
protected:
    // A run that ended by itself with the code, no window ever shown; another
    // code stops the scenario, whose later steps build on this one.
    InstallerRun ExpectSilentEnd(const std::string& arguments, DWORD exitCode, const std::string& outputFile = "")
    {
        InstallerRun run = RunInstaller(program, arguments, parent, outputFile);
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
    InstallerRun unregistered = ExpectSilentEnd("/S /L=en", 2);
    EXPECT_EQ(unregistered.output, "Library installation :\r\n");
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

TEST_F(SilentInstall, AReadOnlyFileIsKeptAndTheRunEndsWith3)
{
    std::map<Target, std::string> before = WriteEarlierInstallation(host);
    MakePureBasicFolder(host);
    std::string protectedFile = host + TargetPath(Target::Library);
    ASSERT_TRUE(SetFileAttributesA(protectedFile.c_str(), FILE_ATTRIBUTE_READONLY));
    InstallerRun run = ExpectSilentEnd("/L=en /S", 3);
    EXPECT_EQ(run.output, Joined(ExpectedLog(Language::English, host, {Target::Library})));
    ExpectHostFiles(host, Language::English, {Target::Library}, before);
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
        for (const char* said : {"/S", "/L=fr", "/D=dossier", "/D=folder", "Codes de sortie", "Exit codes",
                                 "5 another installation running"})
            EXPECT_NE(usage.text.find(said), std::string::npos) << said << " missing from: " << usage.text;
        EXPECT_EQ(usage.buttons, std::vector<int>{IDOK});
        EXPECT_EQ(installer.FindOwnTopLevel("WindowClass_0"), nullptr) << "the installer window opened";
        PostButtonClick(GetDlgItem(usage.box, IDOK));
        DWORD ended = 0xDEAD;
        ASSERT_TRUE(installer.WaitForEnd(&ended));
        EXPECT_EQ(ended, exitCode);
    }
    for (const char* arguments : {"/S /Z", "/S /S", "/S /L=de", "/S /D=", "/S /?", "/S /D=C:\\a\"b"}) {
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
    EXPECT_EQ(ListTree(host), std::set<std::string>{"PureBasic.exe"}) << "the second run wrote";
    // The first one runs on undisturbed; once it has ended, a silent run installs.
    ExpectChoosingState();
    Click(5, false);
    ASSERT_NO_FATAL_FAILURE(ExpectEndWithCode0());
    ExpectSilentEnd("/S /L=en", 0);
    ExpectHostFiles(host, Language::English, {});
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
