#include "Texts.h"
#include "Installer.h"

static const char DamagedTitle[] = "Erreur / Error :";
static const char DamagedText[] =
    "      Le programme d'installation est endommagé.\n      Téléchargez-le à nouveau.\n\n"
    "      The installer is damaged.\n      Please download it again.";
static const char RunningTitle[] = "Infos :";
static const char RunningText[] =
    "      Une installation est déjà en cours.\n      Attendez qu'elle soit terminée.\n\n"
    "      An installation is already running.\n      Please wait until it has ended.";
// Every switch and exit code: whoever asks has chosen no language yet.
static const char UsageTitle[] = "QuillfernSetup /?";
static const char UsageText[] =
    "QuillfernSetup.exe [/S] [/L=fr|/L=en] [/D=dossier]\n\n"
    "/S : installation sans fenêtre ni message.\n"
    "/L=fr, /L=en : langue de l'installation /S (sinon celle de Windows).\n"
    "/D=dossier : le dossier de PureBasic, à la place de celui du registre ; guillemets facultatifs.\n"
    "/? : cette aide.\n"
    "Codes de sortie de /S : 0 installée ; 1 ligne de commande incomprise ; 2 PureBasic introuvable, "
    "rien d'écrit ; 3 fichier(s) non écrit(s), laissés tels quels ; 4 programme endommagé, rien d'écrit ; "
    "5 une autre installation en cours, rien de fait.\n\n"
    "QuillfernSetup.exe [/S] [/L=fr|/L=en] [/D=folder]\n\n"
    "/S: install without a window or a message.\n"
    "/L=fr, /L=en: the language of a /S installation (else that of Windows).\n"
    "/D=folder: the PureBasic folder, instead of the registry's; quotes optional.\n"
    "/?: this help.\n"
    "Exit codes of /S: 0 installed; 1 command line not understood; 2 PureBasic not found, nothing written; "
    "3 file(s) not written, kept as they were; 4 installer damaged, nothing written; "
    "5 another installation running, nothing done.";
static const char CreditText[] = "  Merçi à Orlanne pour le Logo/Thanks to Orlanne for Logo";

// In the order of TextId.
static const char* const FrenchTexts[] = {
    "Français",
    "English",
    "Installer",
    "Annuler",
    CreditText,
    "Installation de la librairie :",
    "Fichier extrait : ",
    "Fichier non écrit : ",
    "Infos :",
    "      L'installation de la librairie Quillfern V2.10        \n      est terminée",
    "      L'installation de la librairie Quillfern V2.10\n      est incomplète : ",
    " fichier(s) non écrit(s).",
    "Fichier utilisé :",
    "Le fichier ",
    " est utilisé par ",
    ".",
    "un autre programme",
    "\n\nFermez-le, puis réessayez ; ou annulez pour garder l'ancien fichier.",
    "Erreur :",
    "      PureBasic est introuvable.\n      Rien n'a été installé.",
    "Où se trouve PureBasic ?",
    "      Ce dossier ne contient pas PureBasic.exe.\n      Choisissez le dossier où PureBasic est installé.",
    DamagedTitle,
    DamagedText,
    RunningTitle,
    RunningText,
    UsageTitle,
    UsageText,
};

static const char* const EnglishTexts[] = {
    "Français",
    "English",
    "Install",
    "Cancel",
    CreditText,
    "Library installation :",
    "Extracted file : ",
    "File not written : ",
    "Infos :",
    "      Installation of Quillfern V2.10         \n      library is ended",
    "      Installation of Quillfern V2.10\n      is incomplete: ",
    " file(s) not written.",
    "File in use :",
    "The file ",
    " is in use by ",
    ".",
    "another program",
    "\n\nClose it, then retry; or cancel to keep the old file.",
    "Error :",
    "      PureBasic could not be found.\n      Nothing was installed.",
    "Where is PureBasic installed?",
    "      This folder does not contain PureBasic.exe.\n      Choose the folder where PureBasic is installed.",
    DamagedTitle,
    DamagedText,
    RunningTitle,
    RunningText,
    UsageTitle,
    UsageText,
};

static_assert(sizeof FrenchTexts / sizeof FrenchTexts[0] == TextCount, "one French text for each TextId");
static_assert(sizeof EnglishTexts / sizeof EnglishTexts[0] == TextCount, "one English text for each TextId");

const char* TextIn(TextId id, unsigned char language)
{
    if (id >= TextCount)
        return "";
    return language == LanguageFrench ? FrenchTexts[id] : EnglishTexts[id];
}

const char* Text(TextId id)
{
    return TextIn(id, Language);
}
