#pragma once
// Every text the installer shows, one row per text with its French and its
// English, in UTF-8. A line feed separates the lines of a message; a box
// sets each of its lines in by blanks as it shows it (TextBoxFormat). Each
// row is a whole sentence: %1 and %2 mark the places of what varies, which
// TextFormat fills; no row holds a % of its own.

// The languages.
constexpr unsigned char LanguageFrench = 0;
constexpr unsigned char LanguageEnglish = 1;

enum TextId : unsigned char {
    // The window.
    TextFrenchButton,
    TextEnglishButton,
    TextInstallButton,
    TextCancelButton,       // the picture button's name, for screen readers
    TextCredit,
    // The log.
    TextInstallHeading,
    TextExtractedLabel,
    TextNotWrittenLabel,
    TextSeparatorLine,
    // The completion message.
    TextInfoTitle,
    TextCompleted,
    TextIncomplete,         // %1 the count of files not written
    // A file that another program holds open: %1 the log's name for the
    // file, %2 the programs' names or TextAnotherProgram. The window asks
    // the question after it.
    TextHeldTitle,
    TextHeld,
    TextAnotherProgram,
    TextHeldQuestion,
    // A file not written through a link, with rights: %1 the file, %2 the
    // link, both named as the log names them.
    TextLinkNotWritten,
    // The host folder.
    TextErrorTitle,
    TextNoHost,
    TextFolderDialogTitle,
    TextNotAHostFolder,
    TextNoRights,           // the folder needs rights that were refused
    // A damaged copy, said in both languages before any is chosen.
    TextDamagedTitle,
    TextDamaged,
    // Another installation running without a window to show, in both too.
    TextRunningTitle,
    TextRunning,
    // The command line's usage, in both languages too.
    TextUsageTitle,
    TextUsage,
    // The /LOG= file's last line, %1 the exit code.
    TextExitCodeLine,
    // The copy with rights that ended without a result, without its code
    // and with it (%1); the window's box says where its files are told after
    // that sentence (%1).
    TextCopyFailed,
    TextCopyFailedCode,
    TextCopyFailedListed,
    // A /LOG= file that cannot be created, %1 its path: the log's line, and
    // the window's box, in both languages since none has been chosen.
    TextLogFileFailed,
    TextLogFileFailedBoth,
    // Names for screen readers: the log, which shows none, and the logo.
    TextLogName,
    TextLogoName,
    // A removal (/UNINSTALL): its log's heading, one label per file as the
    // installation's, the link that kept a file (as TextLinkNotWritten),
    // and its result.
    TextRemovalHeading,
    TextRemovedLabel,
    TextMissingLabel,
    TextKeptChangedLabel,
    TextNotRemovedLabel,
    TextKeptSharedLabel,
    TextRemovedFolderLabel,
    TextLinkNotRemoved,
    TextRemoved,
    TextRemovalIncomplete,  // %1 the count of files kept
    TextNoRightsToRemove,
    // A check (/VERIFY): heading, one line for each file (%1), the link that
    // kept a file from being read (as TextLinkNotWritten), and the result,
    // whole or with the count of files missing or different (%1).
    TextVerifyHeading,
    TextVerifiedFile,
    TextMissingFile,
    TextDifferentFile,
    TextLinkNotRead,
    TextVerifiedWhole,
    TextVerifiedNotWhole,
    // Either one's result without a PureBasic folder.
    TextHostNotFound,
    TextCount
};

// The messages said before any language is chosen hold both: either row
// will do.
constexpr unsigned char LanguageBoth = LanguageFrench;

// The text in the language given: French for 0, English otherwise.
const char* TextIn(TextId id, unsigned char language);
inline const char* TextInBoth(TextId id)
{
    return TextIn(id, LanguageBoth);
}
