#include "app/Texts.h"

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

// One row per text, its French beside its English, under its own name:
// the rows' order is checked against TextId when the program is built, and
// the program keeps the texts alone, packed (TextsPacked).
struct TextRow {
    TextId id;
    const char* french;
    const char* english;
};

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

static_assert(sizeof TextRows / sizeof TextRows[0] == TextCount, "one row for each TextId");

static constexpr bool TextRowsInOrder()
{
    for (int i = 0; i < TextCount; i++) {
        if (TextRows[i].id != i)
            return false;
    }
    return true;
}
static_assert(TextRowsInOrder(), "each text's row stands at its TextId");

// The texts as the program unpacks them, in one block: each text that no
// other one ends with, once, with its terminator; a text that another ends
// with is that one's end. Each row has its two places in the block (a
// pointer for each would take twice the room, and a relocation each). A
// slot is a row's French (even) or its English (odd).
constexpr int TextSlots = 2 * TextCount;

static constexpr const char* TextOfSlot(int slot)
{
    return slot % 2 ? TextRows[slot / 2].english : TextRows[slot / 2].french;
}

static constexpr int TextLength(const char* text)
{
    int length = 0;
    while (text[length])
        length++;
    return length;
}

// Whether `text` ends with `end` (or is the same text).
static constexpr bool TextEndsWith(const char* text, const char* end)
{
    int textLength = TextLength(text);
    int endLength = TextLength(end);
    if (endLength > textLength)
        return false;
    for (int i = 0; i < endLength; i++) {
        if (text[textLength - endLength + i] != end[i])
            return false;
    }
    return true;
}

// Whether the block holds the slot's text as a text of its own: no longer
// text ends with it, and no earlier slot has the same.
static constexpr bool TextHeldWhole(int slot)
{
    const char* text = TextOfSlot(slot);
    for (int other = 0; other < TextSlots; other++) {
        const char* otherText = TextOfSlot(other);
        if (other != slot && TextEndsWith(otherText, text)
            && (other < slot || TextLength(otherText) > TextLength(text)))
            return false;
    }
    return true;
}

static constexpr int TextBlockSize()
{
    int size = 0;
    for (int slot = 0; slot < TextSlots; slot++) {
        if (TextHeldWhole(slot))
            size += TextLength(TextOfSlot(slot)) + 1;
    }
    return size;
}

struct TextBlock {
    unsigned short places[TextCount][2];    // [id][0] the French, [id][1] the English
    char bytes[TextBlockSize()];
};
static_assert(TextBlockSize() <= 0xFFFF, "every text's place fits its row");

static constexpr TextBlock TextBlockFromRows()
{
    TextBlock block = {};
    bool whole[TextSlots] = {};
    int wholePlace[TextSlots] = {};
    int size = 0;
    for (int slot = 0; slot < TextSlots; slot++) {
        whole[slot] = TextHeldWhole(slot);
        if (!whole[slot])
            continue;
        wholePlace[slot] = size;
        const char* text = TextOfSlot(slot);
        for (int i = 0; text[i]; i++)
            block.bytes[size++] = text[i];
        block.bytes[size++] = 0;
    }
    for (int slot = 0; slot < TextSlots; slot++) {
        const char* text = TextOfSlot(slot);
        int holder = 0;
        while (!whole[holder] || !TextEndsWith(TextOfSlot(holder), text))
            holder++;
        int place = wholePlace[holder] + TextLength(TextOfSlot(holder)) - TextLength(text);
        block.places[slot / 2][slot % 2] = (unsigned short)place;
    }
    return block;
}

static constexpr TextBlock Texts = TextBlockFromRows();

static constexpr bool TextBlockHoldsEveryRow()
{
    for (int slot = 0; slot < TextSlots; slot++) {
        const char* held = Texts.bytes + Texts.places[slot / 2][slot % 2];
        const char* text = TextOfSlot(slot);
        if (TextLength(held) != TextLength(text) || !TextEndsWith(held, text))
            return false;
    }
    return true;
}
static_assert(TextBlockHoldsEveryRow(), "each row's two places hold its texts");

// The block is kept packed and unpacked at the first text asked for: its
// sentences repeat words and phrases, and packed it takes well under half
// the room. The packing is the simplest that pays: a flag byte before each
// eight items, each item either one byte as it is (flag bit 0) or a copy
// (flag bit 1) of 3 to 18 bytes from 1 to 4096 bytes back, in two bytes:
// (distance - 1) << 4 | (length - 3), low byte first.
constexpr int TextBlockBytes = sizeof Texts.bytes;
constexpr int TextCopyShortest = 3;
constexpr int TextCopyLongest = TextCopyShortest + 15;
constexpr int TextCopyFarthest = 4096;
constexpr int TextByteBits = 1 + 8;     // with its flag bit
constexpr int TextCopyBits = 1 + 16;

// Unpacks `packed` into `block`, TextBlockBytes long. The packed bytes are
// the program's own, made and checked below when it is built; in a damaged
// copy of the program they may be anything, and the unpacking still keeps
// to the block.
static constexpr void TextUnpack(const unsigned char* packed, char* block)
{
    unsigned flags = 1;     // the flag byte's bits still to read, over a stop bit
    for (int size = 0; size < TextBlockBytes; flags >>= 1) {
        if (flags == 1)
            flags = *packed++ | 0x100;
        if (!(flags & 1)) {
            block[size++] = (char)*packed++;
            continue;
        }
        unsigned copy = packed[0] | packed[1] << 8;
        packed += 2;
        int from = size - (int)(copy >> 4) - 1;
        if (from < 0)
            return;
        for (unsigned n = (copy & 15) + TextCopyShortest; n && size < TextBlockBytes; n--)
            block[size++] = block[from++];
    }
}

// The packing, run once when the program is built: for each place the
// longest earlier copy, found along the chain of earlier places that start
// with the same three bytes (or bytes of the same hash), then from the end
// the choice at each place that leaves the fewest bits.
struct TextPacking {
    unsigned char bytes[TextBlockBytes + TextBlockBytes / 8 + 1];
    int size;
};

constexpr int TextHashes = 0x1000;

static constexpr int TextHash(const char* at)
{
    return ((unsigned char)at[0] << 4 ^ (unsigned char)at[1] << 2 ^ (unsigned char)at[2]) % TextHashes;
}

static constexpr TextPacking TextPack()
{
    const char* block = Texts.bytes;
    constexpr int end = TextBlockBytes;
    int earlier[end] = {};      // the last place before with the same hash, or -1
    int lastWithHash[TextHashes] = {};
    for (int& place : lastWithHash)
        place = -1;
    for (int at = 0; at + TextCopyShortest <= end; at++) {
        earlier[at] = lastWithHash[TextHash(block + at)];
        lastWithHash[TextHash(block + at)] = at;
    }
    int longest[end] = {};
    int distance[end] = {};
    for (int at = 0; at + TextCopyShortest <= end; at++) {
        for (int from = earlier[at]; from >= 0 && at - from <= TextCopyFarthest; from = earlier[from]) {
            int length = 0;
            while (at + length < end && length < TextCopyLongest && block[from + length] == block[at + length])
                length++;
            if (length > longest[at]) {
                longest[at] = length;
                distance[at] = at - from;
            }
        }
    }
    // bits[at]: the fewest bits that hold the block from `at` on; take[at]:
    // how many bytes the item there covers, 1 for a byte as it is.
    int bits[end + 1] = {};
    int take[end] = {};
    for (int at = end - 1; at >= 0; at--) {
        bits[at] = TextByteBits + bits[at + 1];
        take[at] = 1;
        for (int length = TextCopyShortest; length <= longest[at]; length++) {
            if (TextCopyBits + bits[at + length] < bits[at]) {
                bits[at] = TextCopyBits + bits[at + length];
                take[at] = length;
            }
        }
    }
    TextPacking packing = {};
    int flagsAt = 0;
    int items = 0;
    for (int at = 0; at < end; at += take[at], items++) {
        if (items % 8 == 0)
            flagsAt = packing.size++;
        if (take[at] == 1) {
            packing.bytes[packing.size++] = (unsigned char)block[at];
            continue;
        }
        packing.bytes[flagsAt] |= (unsigned char)(1 << items % 8);
        unsigned copy = (unsigned)(distance[at] - 1) << 4 | (unsigned)(take[at] - TextCopyShortest);
        packing.bytes[packing.size++] = (unsigned char)copy;
        packing.bytes[packing.size++] = (unsigned char)(copy >> 8);
    }
    return packing;
}

static constexpr TextPacking Packing = TextPack();

struct TextsPacked {
    unsigned short places[TextCount][2];
    unsigned char bytes[Packing.size];
};

static constexpr TextsPacked TextsPackedFromPacking()
{
    TextsPacked packed = {};
    for (int id = 0; id < TextCount; id++) {
        packed.places[id][0] = Texts.places[id][0];
        packed.places[id][1] = Texts.places[id][1];
    }
    for (int i = 0; i < Packing.size; i++)
        packed.bytes[i] = Packing.bytes[i];
    return packed;
}

static constexpr TextsPacked Packed = TextsPackedFromPacking();

static constexpr bool TextUnpacksWhole()
{
    char block[TextBlockBytes] = {};
    TextUnpack(Packed.bytes, block);
    for (int i = 0; i < TextBlockBytes; i++) {
        if (block[i] != Texts.bytes[i])
            return false;
    }
    return true;
}
static_assert(TextUnpacksWhole(), "the packed texts unpack to the texts");

// Filled at the first text asked for. Only the program's main thread asks
// for texts.
static char TextBlockUnpacked[TextBlockBytes];
static bool TextsUnpacked;

// Called for nearly every line and box: one copy of it is smaller than its
// body at each call.
[[gnu::noinline]] const char* TextIn(TextId id, unsigned char language)
{
    if (id >= TextCount)
        return "";
    if (!TextsUnpacked) {
        TextUnpack(Packed.bytes, TextBlockUnpacked);
        TextsUnpacked = true;
    }
    return TextBlockUnpacked + Packed.places[id][language != LanguageFrench];
}
