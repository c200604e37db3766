#include "Installer.h"
#include "CommandLine.h"
#include "ConsoleLog.h"
#include "Installation.h"
#include "OneInstallation.h"
#include "InstallerWindow.h"
#include "Program.h"
#include "gui/Ctl.h"
#include "gui/Img.h"
#include "gui/Win.h"
#include "payload/Payload.h"
#include "runtime/Req.h"
#include "runtime/Rt.h"
#include "runtime/Str.h"

static int QuitRequested;

// Texts are UTF-8; a line feed separates a message's two lines.
static const char* const InstallHeading[] = {"Installation de la librairie :", "Library installation :"};
static const char* const CompletedText[] = {
    "      L'installation de la librairie Quillfern V2.10        \n      est terminée",
    "      Installation of Quillfern V2.10         \n      library is ended",
};
static const char* const IncompleteStart[] = {
    "      L'installation de la librairie Quillfern V2.10\n      est incomplète : ",
    "      Installation of Quillfern V2.10\n      is incomplete: ",
};
static const char* const IncompleteEnd[] = {" fichier(s) non écrit(s).", " file(s) not written."};
static const char* const NoHostTitle[] = {"Erreur :", "Error :"};
static const char* const NoHostText[] = {
    "      PureBasic est introuvable.\n      Rien n'a été installé.",
    "      PureBasic could not be found.\n      Nothing was installed.",
};

static const char DamagedTitle[] = "Erreur / Error :";
static const char DamagedText[] =
    "      Le programme d'installation est endommagé.\n      Téléchargez-le à nouveau.\n\n"
    "      The installer is damaged.\n      Please download it again.";

// Every switch and exit code, in both languages: whoever asks has not chosen one.
static const char UsageTitle[] = "QuillfernSetup /?";
static const char UsageText[] =
    "QuillfernSetup.exe [/S] [/L=fr|/L=en] [/D=dossier]\n\n"
    "/S : installation sans fenêtre ni message.\n"
    "/L=fr, /L=en : langue de l'installation /S (sinon celle de Windows).\n"
    "/D=dossier : le dossier de PureBasic, à la place de celui du registre ; en dernier, guillemets facultatifs.\n"
    "/? : cette aide.\n"
    "Codes de sortie de /S : 0 installée ; 1 ligne de commande incomprise ; 2 PureBasic introuvable, "
    "rien d'écrit ; 3 fichier(s) non écrit(s), laissés tels quels ; 4 programme endommagé, rien d'écrit ; "
    "5 une autre installation en cours, rien de fait.\n\n"
    "QuillfernSetup.exe [/S] [/L=fr|/L=en] [/D=folder]\n\n"
    "/S: install without a window or a message.\n"
    "/L=fr, /L=en: the language of a /S installation (else that of Windows).\n"
    "/D=folder: the PureBasic folder, instead of the registry's; last, quotes optional.\n"
    "/?: this help.\n"
    "Exit codes of /S: 0 installed; 1 command line not understood; 2 PureBasic not found, nothing written; "
    "3 file(s) not written, kept as they were; 4 installer damaged, nothing written; "
    "5 another installation running, nothing done.";

static int LanguageIndex()
{
    return Language == 0 ? 0 : 1;
}

static void ChooseLanguage(unsigned char language)
{
    CtlDisable(EnglishButton, 1);
    CtlDisable(InstallButton, 0);
    CtlDisable(FrenchButton, 1);
    if (language == 1) {
        CtlSetText(InstallButton, "Install");
        CtlSetText(CancelButton, "Cancel");
    }
    Language = language;
    CtlAddItem(LogList, -1, InstallHeading[LanguageIndex()]);
}

static void ShowCompletion()
{
    int language = LanguageIndex();
    if (FilesNotWritten == 0) {
        ReqMessage("Infos :", CompletedText[language], MB_OK | MB_ICONINFORMATION);
        return;
    }
    char* text = StrWorkPosition();
    StrAppend(IncompleteStart[language]);
    StrFromInt(FilesNotWritten, StrWorkPosition());
    StrAppend(IncompleteEnd[language]);
    StrSkipTerminator();
    ReqMessage("Infos :", text, MB_OK | MB_ICONWARNING);
    StrRewind(text);
}

static void Install()
{
    BuildExampleTable();
    if (InstallLibrary()) {
        ShowCompletion();
        return;
    }
    ReqMessage(NoHostTitle[LanguageIndex()], NoHostText[LanguageIndex()], MB_OK | MB_ICONSTOP);
    FinalCleanup();
}

static void HandleEvent(int event)
{
    if (event == WinEvClose) {
        QuitRequested = 1;
        return;
    }
    if (event != WinEvControl)
        return;
    switch (WinEventControl()) {
    case FrenchButton:
        ChooseLanguage(0);
        break;
    case EnglishButton:
        ChooseLanguage(1);
        break;
    case InstallButton:
        Install();
        break;
    case CancelButton:
        QuitRequested = 1;
        break;
    }
}

// Waits for events until the user asks to quit, then drains the queue and
// ends at the first poll that finds it empty. Waiting again after the quit
// request would keep the window open until some further input arrived.
static void RunEventLoop()
{
    if (WinPollEvent() == 0)
        return;
    while (!QuitRequested)
        HandleEvent(WinWaitEvent());
    while (WinPollEvent() != 0) {
    }
}

// A copy damaged on its way here would install damaged files without a word:
// each file's read-back compares it with these same bytes. So every item is
// checked before anything is shown or written.
static int PayloadIsIntact()
{
    for (const PayloadItemCheck& item : PayloadChecks) {
        if (RtCrc32(PayloadBlock + item.offset, item.size) != item.crc)
            return 0;
    }
    return 1;
}

// A silent run shows nothing, at any moment: its exit code says it all.
[[noreturn]] static void RefuseDamagedCopy(int silent)
{
    if (!silent)
        ReqMessage(DamagedTitle, DamagedText, MB_OK | MB_ICONSTOP);
    EndProgram(silent ? ExitDamaged : ExitInstalled);
}

// /? alone, or a command line not understood: nothing else is done.
[[noreturn]] static void AnswerUsage(const CommandLine& line)
{
    if (!line.silent)
        ReqMessage(UsageTitle, UsageText, MB_OK | MB_ICONINFORMATION);
    EndProgram(line.understood ? ExitInstalled : ExitNotUnderstood);
}

// Another installation runs: its window, if it shows one, comes to the front.
[[noreturn]] static void LeaveToRunningInstaller(int silent)
{
    if (silent)
        EndProgram(ExitAlreadyRunning);
    ShowRunningInstaller();
    EndProgram(ExitInstalled);
}

static unsigned char DisplayLanguage()
{
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_FRENCH ? 0 : 1;
}

// The window's run without the window: the same log, on standard output.
[[noreturn]] static void InstallSilently(const CommandLine& line)
{
    SilentRun = 1;
    ConsoleLogOpen();
    Language = line.language != CommandLanguageNone ? (unsigned char)line.language : DisplayLanguage();
    LogLine(InstallHeading[LanguageIndex()]);
    BuildExampleTable();
    if (!InstallLibrary())
        FinalCleanup(ExitNoHost);
    FinalCleanup(FilesNotWritten == 0 ? ExitInstalled : ExitIncomplete);
}

void InstallerMain()
{
    CommandLine line;
    ReadCommandLine(&line);
    if (!line.understood || line.usage)
        AnswerUsage(line);
    if (!PayloadIsIntact())
        RefuseDamagedCopy(line.silent);
    if (!ClaimInstallation())
        LeaveToRunningInstaller(line.silent);
    HostFolderArgument = CommandLineFolder(line);
    char* start = StrWorkPosition();
    StrPad("", 62, "=", start);
    StrAssign(&SeparatorLine, start);
    if (line.silent)
        InstallSilently(line);
    BuildInstallerWindow();
    MarkInstallerWindow(WinHandle(MainWindow));
    RunEventLoop();
    FinalCleanup();
}

void FinalCleanup(unsigned exitCode)
{
    MarkInstallerWindow(nullptr);
    if (CreditBrush)
        DeleteObject(CreditBrush);
    if (ListBrush)
        DeleteObject(ListBrush);
    ImgFree(CancelImage);
    ImgFree(LogoImage);
    ReleaseInstallation();
    EndProgram(exitCode);
}
