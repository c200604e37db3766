#pragma once
// What the tree's files share among themselves (Tree.cpp, TreeFile.cpp,
// TreeHeld.cpp, TreeLinkCheck.cpp, TreeRoot.cpp, TreeLink.cpp); the rest of
// the program goes through Tree.h.
#include "StrWide.h"
#include "Tree.h"

// A folder held: listed (so that its sharing counts), its contents open to
// others, the folder itself neither renamed nor removed meanwhile.
constexpr DWORD TreeFolderAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_TRAVERSE | SYNCHRONIZE;
constexpr DWORD TreeFolderSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD TreeEverySharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// NtCreateFile's dispositions and options (the driver kit's names).
constexpr ULONG TreeOpenExisting = 1;           // FILE_OPEN
constexpr ULONG TreeCreateOnly = 2;             // FILE_CREATE
constexpr ULONG TreeOpenOrCreate = 3;           // FILE_OPEN_IF
constexpr ULONG TreeFolderOnly = 0x00000001;    // FILE_DIRECTORY_FILE
constexpr ULONG TreeFileOnly = 0x00000040;      // FILE_NON_DIRECTORY_FILE
constexpr ULONG TreeLinkItself = 0x00200000;    // FILE_OPEN_REPARSE_POINT
// NtCreateFile's answers that more than one file tells apart.
constexpr LONG TreeAccessDenied = (LONG)0xC0000022;           // STATUS_ACCESS_DENIED
constexpr LONG TreeSharingViolation = (LONG)0xC0000043;       // STATUS_SHARING_VIOLATION

// The status of NtCreateFile for one name (no backslash) below the held
// folder; *handle is null unless it succeeded.
LONG TreeOpenIn(HANDLE folder, const wchar_t* name, DWORD access, DWORD sharing, ULONG disposition, ULONG options,
                HANDLE* handle, ULONG_PTR* information = nullptr);
// What a failed open's status says of the entry.
TreeMiss TreeMissOf(LONG status);
// 1 when the handle, opened by `name` below `folder` (the folder itself
// when `name` is null), is a link or was followed to somewhere else. *found
// as for the final path of one that is none (the caller frees it).
int TreeIsLink(HANDLE handle, const wchar_t* folder, const wchar_t* name, wchar_t** found = nullptr,
               DWORD* attributes = nullptr);
// The same for a child opened by its name below a folder handle.
int TreeChildIsLink(HANDLE folder, HANDLE child, const wchar_t* name, wchar_t** found = nullptr,
                    DWORD* attributes = nullptr);

// TreeLinkCheck.cpp: the handle's final path, in a new heap block (null
// where the system cannot tell it); its attributes (INVALID_FILE_ATTRIBUTES
// when the system cannot tell them).
HeapWideStr TreeFinalPath(HANDLE handle);
DWORD TreeAttributes(HANDLE handle);

// TreeHeld.cpp: holds the folder, with its final path when known (the table
// then owns it); 0, the handle closed, when it cannot be held.
int TreeKeep(HANDLE handle, wchar_t* path = nullptr);
// The final path of the folder: the one known when it is held, else asked
// (and kept when held). *asked is 1 when the caller frees it.
wchar_t* TreeFolderPath(HANDLE folder, int* asked);

// Where a link opened as itself leads, when that can be told without
// following it.
enum TreeLinkEnd : unsigned char {
    TreeLinkNone,           // no link: a reparse point that stands for the entry itself (a file in the cloud)
    TreeLinkLocal,          // a junction, a mount point, or a symbolic link to a path of this machine
    TreeLinkElsewhere,      // a link to another machine, or one whose target cannot be told
};
// Asks the file system for the link's target (FSCTL_GET_REPARSE_POINT); for
// TreeLinkLocal *target is its absolute path, "\\?\" form, in a new heap
// block. `folder` is the path of the folder that holds the link, against
// which a relative target is resolved.
TreeLinkEnd TreeLinkTarget(HANDLE link, const wchar_t* folder, wchar_t** target);
