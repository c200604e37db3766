#include "app/install/SafeReplace.h"
#include "runtime/File.h"
#include "runtime/Str.h"
#include "runtime/Tree.h"

// A file's new bytes go to a file of their own beside it, named after it
// with this suffix, which takes its place only once complete: a reinstall
// that fails part-way leaves the file that worked. The name is fixed, so a
// run cut off leaves at most one per target, which the next run removes.
// The suffix comes last, so that the new file does not carry the target's
// extension, by which the host might take it for one of its own.
static const char NewFileSuffix[] = ".new";

// The file service's number for the new file, the one file it has open at a
// time: FileTake hands the handle to it, FileClose closes it.
constexpr int NewFileNumber = 0;

// Writes the bytes to a new file of the held folder, all of them in one go
// (a byte at a time took several times as long), reads them back through
// the same handle and renames it over the target: 1 when the target holds
// them all, exactly. Whatever fails once the file service has it, the new
// file is removed through its handle; one the service could not take (its
// table's first block not had) is closed empty, for the next run to remove.
// *held tells whether another program holding the target open kept it there.
// A new file's name found taken is a leftover from an interrupted run: it is
// removed, as a file, never what a link there leads to, and the new file
// made again.
static int WriteVerifiedFile(HeldFolder folder, const char* fresh, const char* target, const unsigned char* start,
                             const unsigned char* end, int* held)
{
    HANDLE made = TreeCreateFile(folder, fresh);
    if (!made && TreeRemoveFile(folder, fresh))
        made = TreeCreateFile(folder, fresh);
    HANDLE file = FileTake(NewFileNumber, made);
    if (!file)
        return 0;
    int written = FileWriteBytes(start, end);
    // Flushed before the move: after a power cut the target holds the new
    // bytes or the old ones, never a name whose bytes were still in a cache.
    int flushed = FileFlush(NewFileNumber);
    int replaced = written && flushed && FileHandleMatches(file, start, end)
        && TreeRename(file, folder, target, held);
    if (!replaced)
        TreeDeleteOpen(file);
    FileClose(NewFileNumber);
    return replaced;
}

int SafeReplaceFile(HeldFolder folder, const char* target, int replaceable, const unsigned char* start,
                    const unsigned char* end, int* held)
{
    TempStr fresh = StrJoin(target, NewFileSuffix);
    *held = 0;
    int replaced = 0;
    if (replaceable)
        replaced = WriteVerifiedFile(folder, fresh, target, start, end, held);
    else
        TreeRemoveFile(folder, fresh);
    StrRewind(fresh);
    return replaced;
}
