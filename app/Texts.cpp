#include "Texts.h"
#include "Installer.h"

static const char DamagedTitle[] = "Erreur / Error :";
static const char DamagedText[] =
    "      Le programme d'installation est endommagé.\n      Téléchargez-le à nouveau.\n\n"
    "      The installer is damaged.\n      Please download it again.";
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
    "Erreur :",
    "      PureBasic est introuvable.\n      Rien n'a été installé.",
    "Où se trouve PureBasic ?",
    "      Ce dossier ne contient pas PureBasic.exe.\n      Choisissez le dossier où PureBasic est installé.",
    DamagedTitle,
    DamagedText,
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
    "Error :",
    "      PureBasic could not be found.\n      Nothing was installed.",
    "Where is PureBasic installed?",
    "      This folder does not contain PureBasic.exe.\n      Choose the folder where PureBasic is installed.",
    DamagedTitle,
    DamagedText,
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
