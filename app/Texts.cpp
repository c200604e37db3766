#include "app/Texts.h"
#include "app/TextPack.h"

// The library's version as every text shows it ("2.10"): the build gives it
// from the one place it is written, the payload's descriptor.
#ifndef QUILLFERN_VERSION_TEXT
#error "QUILLFERN_VERSION_TEXT: the build defines the version the texts show"
#endif
#define V_VERSION "V" QUILLFERN_VERSION_TEXT

static constexpr char DamagedTitle[] = "Erreur / Error :";
static constexpr char DamagedText[] =
    "      Le programme d'installation est endommagé.\n      Téléchargez-le à nouveau.\n\n"
    "      The installer is damaged.\n      Please download it again.";
static constexpr char RunningTitle[] = "Infos :";
static constexpr char RunningText[] =
    "      Une installation est déjà en cours.\n      Attendez qu'elle soit terminée.\n\n"
    "      An installation is already running.\n      Please wait until it has ended.";
// Every switch and exit code: whoever asks has chosen no language yet.
static constexpr char UsageTitle[] = "QuillfernSetup /?";
static constexpr char UsageText[] =
    "QuillfernSetup.exe [/S] [/L=fr|/L=en] [/D=dossier] [/LOG=fichier] [/UNINSTALL|/VERIFY]\n\n"
    "/S : installation sans fenêtre ni message.\n"
    "/L=fr, /L=en : langue de l'installation /S (sinon celle de Windows).\n"
    "/D=dossier : le dossier de PureBasic, à la place de celui du registre ; guillemets facultatifs.\n"
    "/LOG=fichier : le journal aussi dans ce fichier (créé ou remplacé), avec le code de sortie ; "
    "guillemets facultatifs.\n"
    "/UNINSTALL : supprime les fichiers de la " V_VERSION " restés tels quels, sans fenêtre (un message à la fin sans /S).\n"
    "/VERIFY : dit si chaque fichier est celui de la " V_VERSION ", sans rien écrire.\n"
    "/? : cette aide.\n"
    "Codes de sortie de /S : 0 installée ; 1 ligne de commande incomprise ou journal impossible à créer, "
    "rien d'écrit ; 2 PureBasic introuvable, rien d'écrit ; 3 fichier(s) non écrit(s), laissés tels quels, "
    "ou installation avec les droits d'administrateur inachevée ; 4 programme endommagé, rien d'écrit ; "
    "5 une autre installation en cours, rien de fait ; 6 droits d'administrateur refusés, rien d'écrit. "
    "/UNINSTALL : 0 fichiers supprimés ou absents ; 3 fichier(s) gardé(s), modifié(s) ou impossible(s) à "
    "supprimer. /VERIFY : 0 installée en entier ; 3 fichier(s) absent(s) ou différent(s).\n\n"
    "QuillfernSetup.exe [/S] [/L=fr|/L=en] [/D=folder] [/LOG=file] [/UNINSTALL|/VERIFY]\n\n"
    "/S: install without a window or a message.\n"
    "/L=fr, /L=en: the language of a /S installation (else that of Windows).\n"
    "/D=folder: the PureBasic folder, instead of the registry's; quotes optional.\n"
    "/LOG=file: the log in this file too (created or replaced), with the exit code; quotes optional.\n"
    "/UNINSTALL: remove the " V_VERSION " files left as installed, without a window (a message at the end without /S).\n"
    "/VERIFY: tell whether each file is " V_VERSION "'s, writing nothing.\n"
    "/?: this help.\n"
    "Exit codes of /S: 0 installed; 1 command line not understood or log file not created, nothing written; "
    "2 PureBasic not found, nothing written; 3 file(s) not written, kept as they were, or the installation "
    "with administrator rights did not complete; 4 installer damaged, nothing written; "
    "5 another installation running, nothing done; 6 administrator rights refused, nothing written. "
    "/UNINSTALL: 0 files removed or not there; 3 file(s) kept, changed or not removable. "
    "/VERIFY: 0 installed whole; 3 file(s) missing or different.";
static constexpr char SeparatorLine[] = "==============================================================";
static_assert(sizeof SeparatorLine - 1 == 62, "the log's separator is 62 characters wide");
static constexpr char CreditText[] = "  Merçi à Orlanne pour le Logo/Thanks to Orlanne for Logo";

static constexpr TextRow TextRows[] = {
    {TextFrenchButton, "Français", "Français"},
    {TextEnglishButton, "English", "English"},
    {TextInstallButton, "Installer", "Install"},
    {TextCancelButton, "Annuler", "Cancel"},
    {TextCredit, CreditText, CreditText},
    {TextInstallHeading, "Installation de la librairie :", "Library installation :"},
    {TextExtractedLabel, "Fichier extrait : ", "Extracted file : "},
    {TextNotWrittenLabel, "Fichier non écrit : ", "File not written : "},
    {TextSeparatorLine, SeparatorLine, SeparatorLine},
    {TextInfoTitle, "Infos :", "Infos :"},
    {TextCompleted,
     "      L'installation de la librairie Quillfern " V_VERSION "        \n      est terminée",
     "      Installation of Quillfern " V_VERSION "         \n      library is ended"},
    {TextIncompleteStart,
     "      L'installation de la librairie Quillfern " V_VERSION "\n      est incomplète : ",
     "      Installation of Quillfern " V_VERSION "\n      is incomplete: "},
    {TextIncompleteEnd, " fichier(s) non écrit(s).", " file(s) not written."},
    {TextHeldTitle, "Fichier utilisé :", "File in use :"},
    {TextHeldStart, "Le fichier ", "The file "},
    {TextHeldBy, " est utilisé par ", " is in use by "},
    {TextHeldEnd, ".", "."},
    {TextAnotherProgram, "un autre programme", "another program"},
    {TextHeldQuestion,
     "\n\nFermez-le, puis réessayez ; ou annulez pour garder l'ancien fichier.",
     "\n\nClose it, then retry; or cancel to keep the old file."},
    {TextLinkStart, "Le fichier ", "The file "},
    {TextLinkThrough, " n'est pas écrit à travers le lien ", " is not written through the link "},
    {TextLinkEnd, ".", "."},
    {TextErrorTitle, "Erreur :", "Error :"},
    {TextNoHost,
     "      PureBasic est introuvable.\n      Rien n'a été installé.",
     "      PureBasic could not be found.\n      Nothing was installed."},
    {TextFolderDialogTitle, "Où se trouve PureBasic ?", "Where is PureBasic installed?"},
    {TextNotAHostFolder,
     "      Ce dossier ne contient pas PureBasic.exe.\n      Choisissez le dossier où PureBasic est installé.",
     "      This folder does not contain PureBasic.exe.\n      Choose the folder where PureBasic is installed."},
    {TextNoRights,
     "      Écrire dans le dossier de PureBasic demande les droits d'administrateur.\n      Rien n'a été installé.",
     "      Writing into the PureBasic folder needs administrator rights.\n      Nothing was installed."},
    {TextDamagedTitle, DamagedTitle, DamagedTitle},
    {TextDamaged, DamagedText, DamagedText},
    {TextRunningTitle, RunningTitle, RunningTitle},
    {TextRunning, RunningText, RunningText},
    {TextUsageTitle, UsageTitle, UsageTitle},
    {TextUsage, UsageText, UsageText},
    {TextExitCodeLine, "Code de sortie : ", "Exit code: "},
    {TextCopyFailed, "L'installation avec les droits d'administrateur n'a pas abouti",
     "The installation with administrator rights did not complete"},
    {TextCopyCode, " (code ", " (code "},
    {TextCopyFilesListed, "Les fichiers qu'elle a signalés figurent dans la liste.",
     "The files it reported are listed in the log."},
    {TextLogFileFailed, "Le fichier journal ne peut pas être créé : ", "The log file cannot be created: "},
    {TextLogName, "Journal d'installation", "Installation log"},
    {TextLogoName, "Quillfern " V_VERSION, "Quillfern " V_VERSION},
    {TextRemovalHeading, "Suppression de la librairie :", "Library removal :"},
    {TextRemovedLabel, "Fichier supprimé : ", "Removed file : "},
    {TextMissingLabel, "Fichier absent : ", "Missing file : "},
    {TextKeptChangedLabel, "Fichier gardé, différent de la " V_VERSION " : ", "File kept, not as " V_VERSION " installed it : "},
    {TextNotRemovedLabel, "Fichier non supprimé : ", "File not removed : "},
    {TextKeptSharedLabel, "Fichier gardé, au nom d'une librairie sœur qui peut en avoir besoin : ",
     "File kept, named after a sibling library that may need it : "},
    {TextRemovedFolderLabel, "Dossier supprimé : ", "Removed folder : "},
    {TextLinkNotRemoved, " n'est pas supprimé à travers le lien ", " is not removed through the link "},
    {TextRemoved, "La librairie Quillfern " V_VERSION " est supprimée.", "Quillfern " V_VERSION " library is removed."},
    {TextRemovalIncompleteStart, "La suppression de la librairie Quillfern " V_VERSION " est incomplète : ",
     "Removal of Quillfern " V_VERSION " is incomplete: "},
    {TextRemovalIncompleteEnd, " fichier(s) gardé(s).", " file(s) kept."},
    {TextNoRightsToRemove,
     "Supprimer dans le dossier de PureBasic demande les droits d'administrateur. Rien n'a été supprimé.",
     "Removing from the PureBasic folder needs administrator rights. Nothing was removed."},
    {TextVerifyHeading, "Vérification de la librairie :", "Library check :"},
    {TextVerifiedLabel, "Fichier de la " V_VERSION " : ", "File of " V_VERSION " : "},
    {TextDifferentLabel, "Fichier différent : ", "Different file : "},
    {TextLinkNotRead, " n'est pas lu à travers le lien ", " is not read through the link "},
    {TextVerifiedWhole, "La librairie Quillfern " V_VERSION " est installée en entier.",
     "Quillfern " V_VERSION " library is installed whole."},
    {TextVerifiedNotWholeStart, "La librairie Quillfern " V_VERSION " n'est pas installée en entier : ",
     "Quillfern " V_VERSION " library is not installed whole: "},
    {TextVerifiedNotWholeEnd, " fichier(s) absent(s) ou différent(s).", " file(s) missing or different."},
    {TextHostNotFound, "PureBasic est introuvable.", "PureBasic could not be found."},
};

// The rows as the program keeps them (TextPack.h). Called for nearly every
// line and box: one copy of it is smaller than its body at each call.
[[gnu::noinline]] const char* TextIn(TextId id, unsigned char language)
{
    return TextTable<TextRows>::In(id, language);
}
