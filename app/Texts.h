#pragma once
// Every text the installer shows, one row per text with its French and its
// English, in UTF-8. A line feed separates the lines of a message.

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
    TextIncompleteStart,    // followed by the count of files not written
    TextIncompleteEnd,
    // A file that another program holds open: "<start><file><by><holders><end>",
    // the log's name for the file, the programs' names or "another program";
    // in the window followed by the question.
    TextHeldTitle,
    TextHeldStart,
    TextHeldBy,
    TextHeldEnd,
    TextAnotherProgram,
    TextHeldQuestion,
    // A file not written through a link, with rights:
    // "<start><file><through><link><end>", both named as the log names them.
    TextLinkStart,
    TextLinkThrough,
    TextLinkEnd,
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
    // The /LOG= file's last line, followed by the code.
    TextExitCodeLine,
    // The copy with rights that ended without a result: "<failed>[<code>N)].",
    // in the window followed by where its files are told.
    TextCopyFailed,
    TextCopyCode,
    TextCopyFilesListed,
    // A /LOG= file that cannot be created, followed by its path; in the
    // window in both languages, since none has been chosen.
    TextLogFileFailed,
    // Names for screen readers: the log, which shows none, and the logo.
    TextLogName,
    TextLogoName,
    // A removal (/UNINSTALL): its log's heading, one label per file as the
    // installation's, the link that kept a file, and its result.
    TextRemovalHeading,
    TextRemovedLabel,
    TextMissingLabel,       // a check's too
    TextKeptChangedLabel,
    TextNotRemovedLabel,
    TextKeptSharedLabel,
    TextRemovedFolderLabel,
    TextLinkNotRemoved,     // "<link start><file><not removed><link><link end>"
    TextRemoved,
    TextRemovalIncompleteStart,     // followed by the count of files kept
    TextRemovalIncompleteEnd,
    TextNoRightsToRemove,
    // A check (/VERIFY): heading, "<label><file>" for each file, and the
    // result "<whole>" or "<not whole start><count><not whole end>".
    TextVerifyHeading,
    TextVerifiedLabel,
    TextDifferentLabel,
    TextLinkNotRead,        // "<link start><file><not read><link><link end>"
    TextVerifiedWhole,
    TextVerifiedNotWholeStart,
    TextVerifiedNotWholeEnd,
    // Either one's result without a PureBasic folder.
    TextHostNotFound,
    TextCount
};

// The text in the language given: French for 0, English otherwise.
const char* TextIn(TextId id, unsigned char language);
// The messages said before any language is chosen hold both: either row
// will do.
inline const char* TextInBoth(TextId id)
{
    return TextIn(id, LanguageFrench);
}
