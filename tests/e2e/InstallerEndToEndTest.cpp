// The shipped installer driven as a user drives it, under Wine on the
// virtual display: one fresh host folder per scenario.
#include "InstallerSession.h"
#include "InstallerView.h"
#include "RestartManagerStandIn.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"
#include "support/Wide.h"
#include "payload/Payload.h"
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

static POINT ScreenOrigin(HWND window)
{
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    return origin;
}

static COLORREF ClientPixelOnScreen(const ScreenImage& screen, HWND window, int x, int y)
{
    POINT origin = ScreenOrigin(window);
    return screen.At(origin.x + x, origin.y + y);
}

// The rounded region cuts the corners: outside it the display shows what was
// there before. Along every row and every column near a corner, the cut on
// the screen ends within one pixel of where the 550 x 339 rounded rectangle
// with 75 x 75 corner ellipses ends it.
static void ExpectCornersCut(const RECT& outer, const ScreenImage& before, const ScreenImage& shown)
{
    constexpr int Reach = 45;
    int width = outer.right - outer.left, height = outer.bottom - outer.top;
    HRGN outline = CreateRoundRectRgn(0, 0, 550, 339, 75, 75);
    auto inOutline = [&](int x, int y) { return x < width && y < height && PtInRegion(outline, x, y); };
    auto onScreen = [&](int x, int y) {
        int sx = outer.left + x, sy = outer.top + y;
        return shown.Contains(sx, sy) && shown.At(sx, sy) != before.At(sx, sy);
    };
    // How many pixels from (x, y) onwards, a step at a time, lie outside.
    auto cut = [&](auto inside, int x, int y, int stepX, int stepY) {
        int count = 0;
        while (count < Reach && !inside(x + count * stepX, y + count * stepY))
            count++;
        return count;
    };
    int wrong = 0;
    for (int side : {0, 1}) {
        for (int end : {0, 1}) {
            int edgeX = side ? width - 1 : 0, edgeY = end ? height - 1 : 0;
            int stepX = side ? -1 : 1, stepY = end ? -1 : 1;
            for (int i = 0; i < Reach; i++) {
                // Row i from the top or bottom edge, scanned from the side; column i from the side, scanned from the edge.
                int rowY = edgeY + i * stepY, columnX = edgeX + i * stepX;
                int rowOutline = cut(inOutline, edgeX, rowY, stepX, 0), rowShown = cut(onScreen, edgeX, rowY, stepX, 0);
                int columnOutline = cut(inOutline, columnX, edgeY, 0, stepY);
                int columnShown = cut(onScreen, columnX, edgeY, 0, stepY);
                for (auto [outlineCut, shownCut, what] : {std::tuple{rowOutline, rowShown, "row"},
                                                          std::tuple{columnOutline, columnShown, "column"}}) {
                    if (abs(outlineCut - shownCut) > 1 && wrong++ < 5)
                        ADD_FAILURE() << what << " " << i << " from the " << (end ? "bottom" : "top") << " "
                                      << (side ? "right" : "left") << " corner: cut by " << shownCut
                                      << " pixels, the outline cuts " << outlineCut;
                }
            }
        }
    }
    EXPECT_EQ(wrong, 0) << "corners off the 550 x 339 outline with 75 x 75 ellipses";
    DeleteObject(outline);
}

// The window as drawn on the display, against the screen before it opened.
static void ExpectWindowAsDrawn(const InstallerProcess& installer, const ScreenImage& before, const ScreenImage& shown)
{
    HWND main = installer.Main;
    EXPECT_NE(GetWindowLongA(main, GWL_STYLE) & WS_CAPTION, WS_CAPTION) << "no title bar";
    RECT outer;
    GetWindowRect(main, &outer);
    EXPECT_LE(ScreenOrigin(installer.LogoBand).y - outer.top, 4) << "the logo band starts at the top: no title bar";
    EXPECT_NEAR((outer.left + outer.right) / 2, shown.width / 2, 1) << "centred across";
    EXPECT_NEAR((outer.top + outer.bottom) / 2, shown.height / 2, 1) << "centred down";
    ExpectCornersCut(outer, before, shown);
    HWND logo = GetDlgItem(installer.LogoBand, 11);
    RECT logoOuter;
    GetWindowRect(logo, &logoOuter);
    EXPECT_EQ(logoOuter.left, ScreenOrigin(installer.LogoBand).x) << "logo at the band's left";
    EXPECT_EQ(logoOuter.top, ScreenOrigin(installer.LogoBand).y) << "logo at the band's top";
    EXPECT_EQ(LogoDrawnWrong(shown, logo), "") << "the logo from its top-left corner";
    RECT band;
    GetClientRect(installer.LogoBand, &band);
    EXPECT_EQ(ClientPixelOnScreen(shown, installer.LogoBand, band.right / 2, band.bottom - 1), White) << "white band";
    EXPECT_EQ(ClientPixelOnScreen(shown, installer.LogPanel, 4, 4), LogPanelColour);
    EXPECT_EQ(ClientPixelOnScreen(shown, installer.ButtonPanel, 2, 4), ButtonPanelColour);
}

// The log after the installation: dark blue text on white, no selection
// highlight, and the last line in view.
static void ExpectLogAsDrawn(const InstallerProcess& installer, const ScreenImage& shown)
{
    RECT client;
    GetClientRect(installer.List, &client);
    std::map<COLORREF, int> counts;
    for (int y = 0; y < client.bottom; y++) {
        for (int x = 0; x < client.right; x++)
            counts[ClientPixelOnScreen(shown, installer.List, x, y)]++;
    }
    int area = client.right * client.bottom;
    EXPECT_GT(counts[White], area / 2) << "white background";
    EXPECT_GT(counts[ListTextColour], 100) << "dark-blue text";
    EXPECT_EQ(counts[GetSysColor(COLOR_HIGHLIGHT)], 0) << "a line is shown selected";
    int top = (int)installer.AskList(LB_GETTOPINDEX);
    int lineHeight = (int)installer.AskList(LB_GETITEMHEIGHT);
    ASSERT_GT(lineHeight, 0);
    EXPECT_GT(top + client.bottom / lineHeight, 17) << "the last line is in view";
}

// A host folder before any installation: the host's own program alone.
static const std::set<std::string> HostAsMade = {"PureBasic.exe"};

TEST_F(InstallerSession, CancelOrCloseBeforeChoosingEndsWithoutWriting)
{
    ASSERT_NO_FATAL_FAILURE(StartInstaller());
    ExpectChoosingState();
    Click(5, false);
    ASSERT_NO_FATAL_FAILURE(ExpectEndWithCode0());

    ASSERT_NO_FATAL_FAILURE(StartInstaller());
    PostMessageA(installer.Main, WM_CLOSE, 0, 0);
    ASSERT_NO_FATAL_FAILURE(ExpectEndWithCode0());

    EXPECT_EQ(ListTree(host), HostAsMade) << "written into the host";
    ExpectNothingOutsideHost();
}

TEST_F(InstallerSession, FrenchInstallationWithTheMouse)
{
    ScreenImage before = CaptureScreen();
    ASSERT_NO_FATAL_FAILURE(StartInstaller());
    ExpectChoosingState();
    SaveScreenshot(painted, "french-1-choosing");
    ExpectWindowAsDrawn(installer, before, painted);

    // A click on the disabled install button does nothing: the French heading
    // is the only line once the next click has been handled.
    ClickWithMouse(installer.Control(7));
    ASSERT_NO_FATAL_FAILURE(ChooseLanguage(Language::French, true));
    EXPECT_EQ(installer.AskList(LB_GETCOUNT), 1);
    SaveScreenshot(painted, "french-2-chosen");

    // A line the user selected must not hold the caret back.
    POINT line0 = ScreenOrigin(installer.List);
    ClickWithMouseAt({line0.x + 20, line0.y + 4});
    ASSERT_TRUE(WaitFor([&] { return installer.AskList(LB_GETCURSEL) == 0; })) << "line 0 not selected by the click";

    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(Install(message, true));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::French, 0), BoxIcon::Information);
    ExpectInstalled(Language::French, {});
    SaveScreenshot(painted, "french-3-installed");
    ExpectLogAsDrawn(installer, painted);

    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message, true));
    EXPECT_EQ(ListTree(host), ExpectedHostTree({}));
    ExpectNothingOutsideHost();
}

TEST_F(InstallerSession, EnglishInstallationThenASecondRunReplacesTheFiles)
{
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(Language::English, message));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::English, 0), BoxIcon::Information);
    ExpectInstalled(Language::English, {});
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));

    // Spoil two installed files: one longer than its item, one shorter.
    std::ofstream(host + TargetPath(Target::Library), std::ios::binary)
        << PayloadBytes(Target::Library, Language::English) << "left over from an older version";
    std::ofstream(host + TargetPath(Target::Example), std::ios::binary) << "Tintwell";
    // New files left by a run that was cut off before they took their places.
    for (Target target : {Target::Help, Target::Residents})
        std::ofstream(host + NewFilePath(target), std::ios::binary) << "cut off";
    // Registered the other way this time.
    UseHost(host, HKEY_LOCAL_MACHINE);
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(Language::English, message));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::English, 0), BoxIcon::Information);
    ExpectInstalled(Language::English, {});
    SaveScreenshot(CaptureScreen(), "english-reinstalled");
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    EXPECT_EQ(ListTree(host), ExpectedHostTree({}));
    ExpectNothingOutsideHost();
}

// PureBasic copied or unzipped to a folder of its own is never registered:
// the user is asked where it is.
TEST_F(InstallerSession, NoHostRegistrationAsksForTheFolderAndInstallsThere)
{
    UnregisterHost();
    ASSERT_NO_FATAL_FAILURE(StartInstaller());
    ASSERT_NO_FATAL_FAILURE(ChooseLanguage(Language::English));
    FolderDialogContent dialog;
    ASSERT_NO_FATAL_FAILURE(ExpectFolderDialog(dialog));
    SaveScreenshot(CaptureScreen(), "english-folder-dialog");
    // Named as the system names a folder: without a final backslash.
    ASSERT_NO_FATAL_FAILURE(PickFolder(dialog, host.substr(0, host.size() - 1)));
    MessageBoxContent message;
    ASSERT_TRUE(installer.WaitForMessageBox(message, InstallDeadlineMs)) << "no message after the installation";
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::English, 0), BoxIcon::Information);
    ExpectInstalled(Language::English, {});
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    EXPECT_EQ(ListTree(host), ExpectedHostTree({}));
    ExpectNothingOutsideHost();
}

// Registered where PureBasic no longer is: its folder moved away, or its
// program removed. The dialog opens in the nearest folder above the
// registered one that exists (the name typed is taken relative to it); a
// folder without PureBasic.exe is refused and the dialog comes back; Cancel
// stops. Nothing is made at the old place, nor anywhere else. A /LOG= file
// ends as a silent run without a host would, once, though the window's run
// ends with 0.
TEST_F(InstallerSession, AStaleHostRegistrationAsksAgainUntilCancelled)
{
    ASSERT_TRUE(CreateDirectoryA((parent + "Emptied\\").c_str(), nullptr));
    std::string logs = MakeTempFolder("logs");
    const std::pair<Language, std::string> rounds[] = {{Language::French, parent + "Moved\\PureBasic\\"},
                                                       {Language::English, parent + "Emptied\\"}};
    for (const auto& [chosen, registered] : rounds) {
        SCOPED_TRACE(registered);
        UnregisterHost();
        RegisterHost(HKEY_CLASSES_ROOT, registered);
        parentBefore = ListTree(parent);
        std::string log = logs + (chosen == Language::French ? "french.log" : "english.log");
        ASSERT_NO_FATAL_FAILURE(StartInstaller("/LOG=" + log));
        ASSERT_NO_FATAL_FAILURE(ChooseLanguage(chosen));
        FolderDialogContent dialog;
        ASSERT_NO_FATAL_FAILURE(ExpectFolderDialog(dialog));
        ASSERT_NO_FATAL_FAILURE(PickFolder(dialog, "Neighbour"));
        MessageBoxContent message;
        ASSERT_TRUE(installer.WaitForMessageBox(message, WindowDeadlineMs)) << "no word on the folder picked";
        ExpectMessage(message, ExpectedErrorTitle(chosen), ExpectedNotAHostFolderText(chosen), BoxIcon::Warning);
        SaveScreenshot(CaptureScreen(), chosen == Language::French ? "not-a-host-french" : "not-a-host-english");
        PostButtonClick(GetDlgItem(message.box, IDOK));
        ASSERT_TRUE(installer.WaitForFolderDialog(dialog)) << "the dialog did not come back";
        EXPECT_EQ(dialog.title, ExpectedFolderDialogTitle(chosen));
        ASSERT_TRUE(CancelFolderDialog(dialog));
        ASSERT_TRUE(installer.WaitForMessageBox(message, WindowDeadlineMs)) << "no word after Cancel";
        ExpectMessage(message, ExpectedErrorTitle(chosen), ExpectedNoHostText(chosen), BoxIcon::Error);
        EXPECT_EQ(installer.AskList(LB_GETCOUNT), 1) << "nothing logged";
        PostButtonClick(GetDlgItem(message.box, IDOK));
        ASSERT_NO_FATAL_FAILURE(ExpectEndWithCode0());
        EXPECT_EQ(ListTree(parent), parentBefore) << "written somewhere";
        EXPECT_EQ(ReadWholeFile(log), chosen == Language::French
                                          ? "Installation de la librairie :\r\nCode de sortie : 2\r\n"
                                          : "Library installation :\r\nExit code: 2\r\n");
    }
    RemoveFolderTree(logs);
}

static void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// The message of a damaged copy: its window never opens, OK ends it, with
// 0 for the window's run, 4 for a removal or a check.
static void ExpectDamagedCopyRefused(InstallerProcess& installer, DWORD expectedCode = 0)
{
    MessageBoxContent message;
    ASSERT_TRUE(installer.WaitForMessageBox(message, WindowDeadlineMs)) << "no message from the damaged copy";
    EXPECT_EQ(installer.FindOwnTopLevel("WindowClass_0"), nullptr) << "the installer window opened";
    EXPECT_NE(message.text.find("endommagé"), std::string::npos) << message.text;
    EXPECT_NE(message.text.find("damaged"), std::string::npos) << message.text;
    EXPECT_EQ(message.buttons, std::vector<int>{IDOK}) << "one OK button";
    EXPECT_EQ(BoxIconName(WaitForIcon(message.icon, BoxIcon::Error)), std::string(BoxIconName(BoxIcon::Error)));
    PostButtonClick(GetDlgItem(message.box, IDOK));
    DWORD exitCode = 0xDEAD;
    ASSERT_TRUE(installer.WaitForEnd(&exitCode)) << "the damaged copy did not end";
    EXPECT_EQ(exitCode, expectedCode);
}

// A copy cut anywhere in the block lacks part of its sections: the system
// refuses to load it, or, should one load it, it must say it is damaged.
static void ExpectCutCopyRefused(InstallerProcess& installer, const std::string& program, const std::string& folder)
{
    if (installer.Start(folder, program))
        ExpectDamagedCopyRefused(installer);
}

// One byte changed in each item in turn, then copies cut inside the block:
// none of them opens its window or writes anything under the host folder.
TEST_F(InstallerSession, ADamagedCopySaysSoAndWritesNothing)
{
    std::string original = ReadWholeFile(InstallerPath());
    std::string block((const char*)PayloadBlock, PayloadSize);
    size_t at = original.find(block);
    ASSERT_NE(at, std::string::npos) << "the payload block is not in the program's file";
    std::string downloads = MakeTempFolder("damaged");
    std::string copy = downloads + "QuillfernSetup.exe";
    for (const PayloadItemCheck& item : PayloadChecks) {
        SCOPED_TRACE("item at " + std::to_string(item.offset));
        std::string damaged = original;
        damaged[at + item.offset + item.size / 2] ^= 0x01;
        WriteWholeFile(copy, damaged);
        ASSERT_TRUE(installer.Start(parent, copy));
        ASSERT_NO_FATAL_FAILURE(ExpectDamagedCopyRefused(installer));
    }
    // A deployment tool reads the same code with a box as without one.
    for (const char* arguments : {"/VERIFY", "/UNINSTALL"}) {
        SCOPED_TRACE(arguments);
        ASSERT_TRUE(installer.Start(parent, copy, arguments));
        ASSERT_NO_FATAL_FAILURE(ExpectDamagedCopyRefused(installer, 4));
    }
    for (size_t cut : {at + 1, at + PayloadSize / 2, at + PayloadSize - 1}) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        WriteWholeFile(copy, original.substr(0, cut));
        ASSERT_NO_FATAL_FAILURE(ExpectCutCopyRefused(installer, copy, parent));
    }
    EXPECT_EQ(ListTree(host), HostAsMade) << "written into the host";
    ExpectNothingOutsideHost();
    RemoveFolderTree(downloads);
}

TEST_F(InstallerSession, BlockedHelpAndExampleAreReportedAndTheRestInstalled)
{
    // Folders stand where the help file and the example go.
    for (const char* folder : {"", "Help\\", "Help\\Quillfern.chm\\", "Examples\\", "Examples\\Quillfern\\",
                               "Examples\\Quillfern\\Tintwell\\", "Examples\\Quillfern\\Tintwell\\Tintwell.pb\\"})
        CreateDirectoryA((host + folder).c_str(), nullptr);
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(Language::English, message));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::English, 2), BoxIcon::Warning);
    ExpectInstalled(Language::English, {Target::Help, Target::Example});
    SaveScreenshot(CaptureScreen(), "english-help-and-example-blocked");
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    std::set<std::string> tree = ExpectedHostTree({Target::Help, Target::Example});
    tree.insert({TargetPath(Target::Help) + "\\", TargetPath(Target::Example) + "\\"});
    EXPECT_EQ(ListTree(host), tree);
    ExpectNothingOutsideHost();
}

// ---- Hosts on mounts that a shell fixture makes as root.

TEST_F(InstallerSession, MountedReadOnlyHostReportsEveryFile)
{
    std::string readOnly = FolderFromEnvironment("QUILLFERN_READONLY_HOST");
    if (readOnly.empty())
        GTEST_SKIP() << "no read-only mount: the fixture needs root and mount (QUILLFERN_READONLY_HOST unset)";
    // A mount is a reparse point to Wine, which tells no more of it.
    program = WatchedBuild();
    UseHost(readOnly);
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(Language::French, message));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::French, 4), BoxIcon::Warning);
    ExpectInstalled(Language::French, {AllTargets, AllTargets + 4});
    SaveScreenshot(CaptureScreen(), "french-read-only-host");
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    EXPECT_EQ(ListTree(host), HostAsMade);
    ExpectNothingOutsideHost();
}

TEST_F(InstallerSession, MountedFullDiskKeepsNoPartialFile)
{
    std::string full = FolderFromEnvironment("QUILLFERN_FULL_HOST");
    if (full.empty())
        GTEST_SKIP() << "no tiny mount: the fixture needs root and mount (QUILLFERN_FULL_HOST unset)";
    // A mount is a reparse point to Wine, which tells no more of it.
    program = WatchedBuild();
    UseHost(full);
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(Language::English, message));
    // The help file is larger than the whole disk; what else fits depends on
    // the disk's block size: whatever is missing must be reported as such.
    std::set<Target> missing;
    for (Target target : AllTargets) {
        if (!IsFile(host + TargetPath(target)))
            missing.insert(target);
    }
    EXPECT_TRUE(missing.count(Target::Help)) << "the help file can't fit";
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::English, (int)missing.size()),
                  BoxIcon::Warning);
    ExpectInstalled(Language::English, missing);
    SaveScreenshot(CaptureScreen(), "english-disk-full");
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    EXPECT_EQ(ListTree(host), ExpectedHostTree(missing));
    ExpectNothingOutsideHost();
}

// Writes filler until the disk takes not one byte more.
static bool FillDisk(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::string chunk(65536, 'f');
    for (DWORD size = (DWORD)chunk.size(); size > 0; size /= 2) {
        DWORD written = 0;
        while (WriteFile(file, chunk.data(), size, &written, nullptr) && written == size) {
        }
    }
    CloseHandle(file);
    ULARGE_INTEGER free = {};
    std::string disk = path.substr(0, path.rfind('\\') + 1);
    return GetDiskFreeSpaceExA(disk.c_str(), &free, nullptr, nullptr) && free.QuadPart == 0;
}

TEST_F(InstallerSession, MountedFullDiskKeepsEveryEarlierFileWhole)
{
    std::string disk = FolderFromEnvironment("QUILLFERN_SMALL_DISK");
    if (disk.empty())
        GTEST_SKIP() << "no small mount: the fixture needs root and mount (QUILLFERN_SMALL_DISK unset)";
    // A mount is a reparse point to Wine, which tells no more of it.
    program = WatchedBuild();
    UseHost(disk + "Host\\");
    std::map<Target, std::string> before = WriteEarlierInstallation(host);
    std::string filler = disk + "filler.bin";
    ASSERT_TRUE(FillDisk(filler)) << "the disk could not be filled";
    std::string fillerBytes = ReadWholeFile(filler);
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(Language::English, message));
    std::set<Target> kept;
    for (Target target : AllTargets) {
        std::string bytes = ReadWholeFile(host + TargetPath(target));
        if (bytes == before[target])
            kept.insert(target);
        else
            EXPECT_TRUE(bytes == PayloadBytes(target, Language::English)) << TargetPath(target) << " is neither";
    }
    EXPECT_FALSE(kept.empty()) << "a full disk took a new file";
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::English, (int)kept.size()), BoxIcon::Warning);
    ExpectInstalled(Language::English, kept, before);
    SaveScreenshot(CaptureScreen(), "english-disk-full-reinstall");
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    EXPECT_EQ(ListTree(host), ExpectedHostTree({}));
    EXPECT_TRUE(ReadWholeFile(filler) == fillerBytes);
    std::set<std::string> onDisk = {"filler.bin", "Host\\"};
    for (const std::string& entry : ExpectedHostTree({}))
        onDisk.insert("Host\\" + entry);
    EXPECT_EQ(ListTree(disk), onDisk) << "written beside the host";
    ExpectNothingOutsideHost();
}

// ---- Faults that other programs and long paths cause.

// The file held open is asked about, naming "another program" (Wine's
// Restart Manager names none), and Cancel keeps it; the read-only one,
// installed before it, is no program's doing and is not asked about.
TEST_F(InstallerSession, FilesHeldOpenOrReadOnlyAreReportedAndLeftAlone)
{
    std::map<Target, std::string> before = WriteEarlierInstallation(host);
    // Opened without delete sharing, as an editor or a running host might:
    // the file cannot be replaced while it is open.
    HANDLE holder = HoldOpen(host + TargetPath(Target::Residents), FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    // Protected by the user, with a new file beside it from a run that was
    // cut off. Wine would move a file over it; Windows refuses.
    std::string protectedFile = host + TargetPath(Target::Library);
    std::ofstream(host + NewFilePath(Target::Library), std::ios::binary) << "cut off";
    ASSERT_TRUE(SetFileAttributesA(protectedFile.c_str(), FILE_ATTRIBUTE_READONLY));
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(Language::French, message));
    ExpectHeldQuestion(message, TargetPath(Target::Residents));
    SaveScreenshot(painted, "french-held-residents");
    ASSERT_NO_FATAL_FAILURE(Answer(message, IDCANCEL));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::French, 2), BoxIcon::Warning);
    ExpectInstalled(Language::French, {Target::Library, Target::Residents}, before);
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    char seen[64] = {};
    DWORD got = 0;
    SetFilePointer(holder, 0, nullptr, FILE_BEGIN);
    EXPECT_TRUE(ReadFile(holder, seen, sizeof seen - 1, &got, nullptr));
    CloseHandle(holder);
    EXPECT_EQ(std::string(seen, got), before[Target::Residents]) << "the other program's view of its file changed";
    EXPECT_NE(GetFileAttributesA(protectedFile.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(ListTree(host), ExpectedHostTree({}));
    ExpectNothingOutsideHost();
}

// The help file open in a viewer that shares it for reading only: Retry
// while it is still open asks again; once it is let go, Retry installs it
// and the installation ends as a complete one.
TEST_F(InstallerSession, AHeldFileIsAskedAboutUntilLetGoThenInstalled)
{
    WriteEarlierInstallation(host);
    HANDLE viewer = HoldOpen(host + TargetPath(Target::Help), FILE_SHARE_READ);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(Language::English, message));
    ExpectHeldQuestion(message, TargetPath(Target::Help));
    SaveScreenshot(painted, "english-held-help");
    ASSERT_NO_FATAL_FAILURE(Answer(message, IDRETRY));
    ExpectHeldQuestion(message, TargetPath(Target::Help));
    ASSERT_NO_FATAL_FAILURE(LetGoAndRetryToTheEnd(viewer, message));
    EXPECT_EQ(ListTree(host), ExpectedHostTree({}));
    ExpectNothingOutsideHost();
}

// The stand-in Restart Manager in the system folder in place of Wine's own,
// which Wine then loads from there for every program, with or without a
// native-first order: Wine's own is put back however the scenario ends.
class StandInPlaced {
public:
    explicit StandInPlaced(const std::string& standIn)
    {
        char system[MAX_PATH] = "";
        UINT length = GetSystemDirectoryA(system, MAX_PATH);
        placed_ = std::string(system, length < MAX_PATH ? length : 0) + "\\rstrtmgr.dll";
        wineOwn_ = ReadWholeFile(placed_);
        DeleteFileA(Asked().c_str());
        done_ = length > 0 && !wineOwn_.empty() && CopyFileA(standIn.c_str(), placed_.c_str(), FALSE);
    }
    ~StandInPlaced()
    {
        if (done_)
            WriteWholeFile(placed_, wineOwn_);
        DeleteFileA(Asked().c_str());
    }
    bool Done() const { return done_; }
    std::string Asked() const { return placed_ + ".asked"; }     // what it was asked about

private:
    std::string placed_, wineOwn_;
    bool done_ = false;
};

// What holds the file is named as the Restart Manager names it. Wine's names
// nothing, so a stand-in (RestartManagerStandIn.cpp) takes its place in the
// system folder, loaded before Wine's own by this run's search order: it
// names one program, in two processes, beyond ASCII. The box names it once.
// It writes down what it is asked about: the process that holds the file
// alone, never a path.
TEST_F(InstallerSession, StandInRestartManagerNamesTheProgramHoldingTheFile)
{
    std::string standIn = PathFromEnvironment("QUILLFERN_RESTART_MANAGER_STAND_IN");
    const char* overrides = getenv("WINEDLLOVERRIDES");
    if (standIn.empty() || !overrides || !strstr(overrides, "rstrtmgr=n"))
        GTEST_SKIP() << "needs QUILLFERN_RESTART_MANAGER_STAND_IN and WINEDLLOVERRIDES with rstrtmgr=n,b";
    StandInPlaced restartManager(standIn);
    ASSERT_TRUE(restartManager.Done());
    // Every Wine process holds rights: the holders are asked for from the
    // handle of the file, whose users the watched build names (this process).
    program = PathFromEnvironment("QUILLFERN_SETUP_RELAUNCH_WATCHED");
    ASSERT_FALSE(program.empty()) << "QUILLFERN_SETUP_RELAUNCH_WATCHED names the watched build";
    SetEnvironmentVariableA("QUILLFERN_HOLDER_PID", std::to_string(GetCurrentProcessId()).c_str());
    std::map<Target, std::string> before = WriteEarlierInstallation(host);
    HANDLE viewer = HoldOpen(host + TargetPath(Target::Help), FILE_SHARE_READ);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(Language::French, message));
    ExpectHeldQuestion(message, TargetPath(Target::Help), Utf8(StandInHolderName, lstrlenW(StandInHolderName)));
    SaveScreenshot(painted, "french-held-help-named");
    ASSERT_NO_FATAL_FAILURE(Answer(message, IDCANCEL));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::French, 1), BoxIcon::Warning);
    ExpectInstalled(Language::French, {Target::Help}, before);
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    CloseHandle(viewer);
    SetEnvironmentVariableA("QUILLFERN_HOLDER_PID", nullptr);
    EXPECT_EQ(ReadWholeFile(restartManager.Asked()), "process " + std::to_string(GetCurrentProcessId()) + "\n")
        << "asked by the file's path, or about another process";
}

// A test build of the installer changes the new residents file on disk after
// writing it, and fails the flush of the new library file: the comparison and
// the flush's result must each catch theirs before it takes the old one's place.
TEST_F(InstallerSession, NewFilesThatFailTheirReadBackOrFlushLeaveTheOldOnes)
{
    program = PathFromEnvironment("QUILLFERN_SETUP_SPOILED_READBACK");
    ASSERT_FALSE(program.empty()) << "QUILLFERN_SETUP_SPOILED_READBACK names the test build";
    std::map<Target, std::string> before = WriteEarlierInstallation(host);
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(Language::English, message));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::English, 2), BoxIcon::Warning);
    ExpectInstalled(Language::English, {Target::Library, Target::Residents}, before);
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    EXPECT_EQ(ListTree(host), ExpectedHostTree({}));
    ExpectNothingOutsideHost();
}

// A folder inside the parent, for a host below it.
static void MakeFolder(const std::string& folder)
{
    ASSERT_TRUE(CreateDirectoryW(WidePath(folder).c_str(), nullptr)) << folder;
}

// Windows writes paths of up to 32,767 characters in their long form: a host
// whose targets pass MAX_PATH (260) installs. (A host whose targets would
// pass the longest path cannot hold PureBasic.exe here: Wine's Unix paths
// end at 4,096 bytes. The runtime tests cover the refusal of such a path.)
TEST_F(InstallerSession, DeepHostsInstall)
{
    // Every Wine process holds rights, and Wine gives no final path longer
    // than MAX_PATH: the watched build gives it, as Windows does.
    program = PathFromEnvironment("QUILLFERN_SETUP_RELAUNCH_WATCHED");
    ASSERT_FALSE(program.empty()) << "QUILLFERN_SETUP_RELAUNCH_WATCHED names the watched build";
    std::string outer = parent + std::string(200, 'h') + "\\";
    ASSERT_NO_FATAL_FAILURE(MakeFolder(outer));
    UseHost(outer + std::string(100, 'k') + "\\");
    ASSERT_GT(host.size() + TargetPath(Target::Help).size(), 300u);
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(Language::English, message));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::English, 0), BoxIcon::Information);
    ExpectInstalled(Language::English, {});
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    EXPECT_EQ(ListTree(host), ExpectedHostTree({}));
    ExpectNothingOutsideHost();
}

// Folders named in scripts that the system's code page (1252) lacks, one
// inside the other, the last with a character beyond the 16-bit range.
TEST_F(InstallerSession, HostsNamedInAnyScriptInstallExactly)
{
    std::string outer = parent + "Пользователь\\";
    ASSERT_NO_FATAL_FAILURE(MakeFolder(outer));
    ASSERT_NO_FATAL_FAILURE(MakeFolder(outer + "Ελληνικά\\"));
    UseHost(outer + "Ελληνικά\\中文 𝄞\\");
    MessageBoxContent message;
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(Language::French, message));
    ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::French, 0), BoxIcon::Information);
    ExpectInstalled(Language::French, {});
    SaveScreenshot(painted, "french-host-in-any-script");
    ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    EXPECT_EQ(ListTree(host), ExpectedHostTree({}));
    ExpectNothingOutsideHost();
}

// Each run says which system code page it stands for (Wine takes it from
// the Unix locale); a run that is not under it would prove nothing.
TEST(CodePage, IsTheOneTheRunIsFor)
{
    const char* expected = getenv("QUILLFERN_CODE_PAGE");
    if (!expected)
        GTEST_SKIP() << "QUILLFERN_CODE_PAGE unset";
    EXPECT_EQ(GetACP(), (UINT)atoi(expected));
}

// A download folder: the installer beside DLLs that anyone could have dropped
// there under system DLLs' names. Windows looks beside the program first for
// any DLL that is not a KnownDLL; Wine does so for the names that
// WINEDLLOVERRIDES makes native first, which Wine reads when the test program
// starts, not when it starts the installer. comctl32 is the one the installer
// once imported, uxtheme the one comctl32 imports; dwmapi is what Windows'
// desktop window manager brings in (Wine loads none). version.dll can't be
// tried like this: Wine's own user32 imports it before the installer runs.
// The host is not registered, so the folder dialog, with COM and the shell
// behind it, loads what it loads too.
TEST_F(InstallerSession, DllsPlantedBesideTheProgramAreNeverLoaded)
{
    std::string planted = FolderFromEnvironment("QUILLFERN_PLANTED_DLLS");
    const char* overrides = getenv("WINEDLLOVERRIDES");
    if (planted.empty() || !overrides || !strstr(overrides, "=n,b"))
        GTEST_SKIP() << "needs QUILLFERN_PLANTED_DLLS and WINEDLLOVERRIDES with the planted names as n,b";
    std::vector<std::string> names;
    std::istringstream list(getenv("QUILLFERN_PLANTED_DLL_NAMES") ? getenv("QUILLFERN_PLANTED_DLL_NAMES") : "");
    for (std::string name; std::getline(list, name, ',');)
        names.push_back(name);
    ASSERT_FALSE(names.empty());
    std::string downloads = MakeTempFolder("downloads");
    program = downloads + "QuillfernSetup.exe";
    ASSERT_TRUE(CopyFileA(InstallerPath().c_str(), program.c_str(), FALSE));
    for (const std::string& name : names)
        ASSERT_TRUE(CopyFileA((planted + name + ".dll").c_str(), (downloads + name + ".dll").c_str(), FALSE)) << name;
    UnregisterHost();
    MessageBoxContent message;
    StartInstaller();
    if (!HasFatalFailure()) {
        ASSERT_NO_FATAL_FAILURE(ChooseLanguage(Language::French));
        FolderDialogContent dialog;
        ASSERT_NO_FATAL_FAILURE(ExpectFolderDialog(dialog));
        ASSERT_NO_FATAL_FAILURE(PickFolder(dialog, host));
        ASSERT_TRUE(installer.WaitForMessageBox(message, InstallDeadlineMs)) << "no message after the installation";
        ExpectMessage(message, "Infos :", ExpectedCompletionText(Language::French, 0), BoxIcon::Information);
        ExpectInstalled(Language::French, {});
        ASSERT_NO_FATAL_FAILURE(AnswerAndQuit(message));
    }
    for (const std::string& name : names)
        EXPECT_FALSE(PathExists(downloads + name + ".dll.loaded")) << "the planted " << name << ".dll was loaded";
    RemoveFolderTree(downloads);
}
