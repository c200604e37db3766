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
    "Le programme d'installation est endommagé.\nTéléchargez-le à nouveau.\n\n"
    "The installer is damaged.\nPlease download it again.";
static constexpr char RunningTitle[] = "Infos :";
static constexpr char RunningText[] =
    "Une installation est déjà en cours.\nAttendez qu'elle soit terminée.\n\n"
    "An installation is already running.\nPlease wait until it has ended.";
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
    "/VERIFY : dit si chaque fichier est celui de la " V_VERSION ", sans en modifier aucun.\n"
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
    "/VERIFY: tell whether each file is " V_VERSION "'s, changing none.\n"
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
static constexpr char LogFileFailedBoth[] =
    "Le fichier journal ne peut pas être créé : \n%1\n\nThe log file cannot be created: \n%1";

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
     "L'installation de la librairie Quillfern " V_VERSION "        \nest terminée",
     "Installation of Quillfern " V_VERSION "         \nlibrary is ended"},
    {TextIncomplete,
     "L'installation de la librairie Quillfern " V_VERSION "\nest incomplète : %1 fichier(s) non écrit(s).",
     "Installation of Quillfern " V_VERSION "\nis incomplete: %1 file(s) not written."},
    {TextHeldTitle, "Fichier utilisé :", "File in use :"},
    {TextHeld, "Le fichier %1 est utilisé par %2.", "The file %1 is in use by %2."},
    {TextAnotherProgram, "un autre programme", "another program"},
    {TextHeldQuestion,
     "Le fichier %1 est utilisé par %2.\n\nFermez-le, puis réessayez ; ou annulez pour garder l'ancien fichier.",
     "The file %1 is in use by %2.\n\nClose it, then retry; or cancel to keep the old file."},
    {TextLinkNotWritten, "Le fichier %1 n'est pas écrit à travers le lien %2.",
     "The file %1 is not written through the link %2."},
    {TextErrorTitle, "Erreur :", "Error :"},
    {TextNoHost,
     "PureBasic est introuvable.\nRien n'a été installé.",
     "PureBasic could not be found.\nNothing was installed."},
    {TextFolderDialogTitle, "Où se trouve PureBasic ?", "Where is PureBasic installed?"},
    {TextNotAHostFolder,
     "Ce dossier ne contient pas PureBasic.exe.\nChoisissez le dossier où PureBasic est installé.",
     "This folder does not contain PureBasic.exe.\nChoose the folder where PureBasic is installed."},
    {TextNoRights,
     "Écrire dans le dossier de PureBasic demande les droits d'administrateur.\nRien n'a été installé.",
     "Writing into the PureBasic folder needs administrator rights.\nNothing was installed."},
    {TextDamagedTitle, DamagedTitle, DamagedTitle},
    {TextDamaged, DamagedText, DamagedText},
    {TextRunningTitle, RunningTitle, RunningTitle},
    {TextRunning, RunningText, RunningText},
    {TextUsageTitle, UsageTitle, UsageTitle},
    {TextUsage, UsageText, UsageText},
    {TextExitCodeLine, "Code de sortie : %1", "Exit code: %1"},
    {TextCopyFailed, "L'installation avec les droits d'administrateur n'a pas abouti.",
     "The installation with administrator rights did not complete."},
    {TextCopyFailedCode, "L'installation avec les droits d'administrateur n'a pas abouti (code %1).",
     "The installation with administrator rights did not complete (code %1)."},
    {TextCopyFailedListed, "%1\nLes fichiers qu'elle a signalés figurent dans la liste.",
     "%1\nThe files it reported are listed in the log."},
    {TextLogFileFailed, "Le fichier journal ne peut pas être créé : %1", "The log file cannot be created: %1"},
    {TextLogFileFailedBoth, LogFileFailedBoth, LogFileFailedBoth},
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
    {TextLinkNotRemoved, "Le fichier %1 n'est pas supprimé à travers le lien %2.",
     "The file %1 is not removed through the link %2."},
    {TextRemoved, "La librairie Quillfern " V_VERSION " est supprimée.", "Quillfern " V_VERSION " library is removed."},
    {TextRemovalIncomplete,
     "La suppression de la librairie Quillfern " V_VERSION " est incomplète : %1 fichier(s) gardé(s).",
     "Removal of Quillfern " V_VERSION " is incomplete: %1 file(s) kept."},
    {TextNoRightsToRemove,
     "Supprimer dans le dossier de PureBasic demande les droits d'administrateur. Rien n'a été supprimé.",
     "Removing from the PureBasic folder needs administrator rights. Nothing was removed."},
    {TextVerifyHeading, "Vérification de la librairie :", "Library check :"},
    {TextVerifiedFile, "Fichier de la " V_VERSION " : %1", "File of " V_VERSION " : %1"},
    {TextMissingFile, "Fichier absent : %1", "Missing file : %1"},
    {TextDifferentFile, "Fichier différent : %1", "Different file : %1"},
    {TextLinkNotRead, "Le fichier %1 n'est pas lu à travers le lien %2.",
     "The file %1 is not read through the link %2."},
    {TextVerifiedWhole, "La librairie Quillfern " V_VERSION " est installée en entier.",
     "Quillfern " V_VERSION " library is installed whole."},
    {TextVerifiedNotWhole,
     "La librairie Quillfern " V_VERSION " n'est pas installée en entier : %1 fichier(s) absent(s) ou différent(s).",
     "Quillfern " V_VERSION " library is not installed whole: %1 file(s) missing or different."},
    {TextHostNotFound, "PureBasic est introuvable.", "PureBasic could not be found."},
};

// The rows as the program keeps them (TextPack.h). Called for nearly every
// line and box: one copy of it is smaller than its body at each call.
[[gnu::noinline]] const char* TextIn(TextId id, unsigned char language)
{
    return TextTable<TextRows>::In(id, language);
}
