#include "Installer.h"
#include "Installation.h"
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

[[noreturn]] static void RefuseDamagedCopy()
{
    ReqMessage(DamagedTitle, DamagedText, MB_OK | MB_ICONSTOP);
    EndProgram();
}

void InstallerMain()
{
    if (!PayloadIsIntact())
        RefuseDamagedCopy();
    char* start = StrWorkPosition();
    StrPad("", 62, "=", start);
    StrAssign(&SeparatorLine, start);
    BuildInstallerWindow();
    RunEventLoop();
    FinalCleanup();
}

void FinalCleanup()
{
    if (CreditBrush)
        DeleteObject(CreditBrush);
    if (ListBrush)
        DeleteObject(ListBrush);
    ImgFree(CancelImage);
    ImgFree(LogoImage);
    EndProgram();
}
