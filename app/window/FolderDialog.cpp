#include "app/window/FolderDialog.h"
#include "runtime/File.h"
#include "runtime/Rt.h"
#include "runtime/RtCalls.h"
#include "runtime/Str.h"
#include "runtime/StrWide.h"
#include <shobjidl.h>

// Written out here rather than taken from the uuid library.
static const CLSID FileOpenDialogClass = {0xdc1c5a9c, 0xe88a, 0x4dde, {0xa5, 0xa1, 0x60, 0xf8, 0x2a, 0x20, 0xae, 0xf7}};
static const GUID ProgramFilesFolder = {0x905e63b6, 0xc1bf, 0x494e, {0xb2, 0x9c, 0x65, 0xb7, 0x32, 0xd3, 0xd2, 0x1a}};

constexpr FILEOPENDIALOGOPTIONS FolderDialogOptions =
    FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR;
// Shorter than "C:\", the shortest folder a path can be cut back to.
constexpr int FolderDialogShortestFolder = 3;

// COM and the shell, loaded from the system folder when the dialog is first
// needed: imported, they would be loaded, with all they load, at every
// start. They stay loaded until the process ends: the dialog's servers may
// leave threads running in them after it closes, and a DLL unloaded under a
// running thread takes the program down.
struct FolderDialogApi {
    decltype(RtCoInitializeEx()) coInitializeEx;
    decltype(RtCoUninitialize()) coUninitialize;
    decltype(RtCoCreateInstance()) coCreateInstance;
    decltype(RtCoTaskMemFree()) coTaskMemFree;
    decltype(RtSHCreateItemFromParsingName()) createItem;
    decltype(RtSHGetKnownFolderPath()) knownFolderPath;
};

static FolderDialogApi FolderDialogLoaded;

// 1 when every function is there.
static int FolderDialogLoad(FolderDialogApi& api)
{
    api.coInitializeEx = RtCoInitializeEx();
    api.coUninitialize = RtCoUninitialize();
    api.coCreateInstance = RtCoCreateInstance();
    api.coTaskMemFree = RtCoTaskMemFree();
    api.createItem = RtSHCreateItemFromParsingName();
    api.knownFolderPath = RtSHGetKnownFolderPath();
    return api.coInitializeEx && api.coUninitialize && api.coCreateInstance && api.coTaskMemFree && api.createItem
        && api.knownFolderPath;
}

// Cuts the path back to its parent folder, ending in a backslash; 0 when
// there is none to cut back to.
static int FolderDialogCutToParent(wchar_t* path)
{
    int length = lstrlenW(path);
    if (length > 0 && path[length - 1] == L'\\')
        length--;
    while (length > 0 && path[length - 1] != L'\\')
        length--;
    if (length < FolderDialogShortestFolder)
        return 0;
    path[length] = 0;
    return 1;
}

// Cuts the path back to the nearest folder that exists, itself included.
static int FolderDialogNearestExisting(wchar_t* path)
{
    do {
        DWORD attributes = GetFileAttributesW(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return 1;
    } while (FolderDialogCutToParent(path));
    return 0;
}

static IShellItem* FolderDialogItem(const FolderDialogApi& api, const wchar_t* path)
{
    IShellItem* item = nullptr;
    if (!path || FAILED(api.createItem(path, nullptr, __uuidof(IShellItem), (void**)&item)))
        return nullptr;
    return item;
}

static IShellItem* FolderDialogStartItem(const FolderDialogApi& api, const char* start)
{
    HeapWideStr path = start && start[0] ? FileWidePath(start) : nullptr;
    IShellItem* item = path && FolderDialogNearestExisting(path) ? FolderDialogItem(api, path) : nullptr;
    RtFree(path);
    if (item)
        return item;
    PWSTR programFiles = nullptr;
    if (SUCCEEDED(api.knownFolderPath(ProgramFilesFolder, 0, nullptr, &programFiles)))
        item = FolderDialogItem(api, programFiles);
    api.coTaskMemFree(programFiles);
    return item;
}

static void FolderDialogPrepare(const FolderDialogApi& api, IFileOpenDialog* dialog, const char* title,
                                const char* start)
{
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FolderDialogOptions);
    HeapWideStr wideTitle = StrToWide(title);
    if (wideTitle)
        dialog->SetTitle(wideTitle);
    RtFree(wideTitle);
    IShellItem* folder = FolderDialogStartItem(api, start);
    if (folder) {
        dialog->SetFolder(folder);
        folder->Release();
    }
}

// The folder picked, as a new string; empty when it has no file system path.
static HeapStr FolderDialogResult(const FolderDialogApi& api, IFileOpenDialog* dialog)
{
    IShellItem* item = nullptr;
    PWSTR path = nullptr;
    if (SUCCEEDED(dialog->GetResult(&item)) && FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)))
        path = nullptr;
    if (item)
        item->Release();
    TempStr start = StrWorkPosition();
    StrFromWide(path, start);
    api.coTaskMemFree(path);
    HeapStr picked = nullptr;
    StrAssign(&picked, start);
    return picked;
}

static HeapStr FolderDialogShow(const FolderDialogApi& api, HWND owner, const char* title, const char* start)
{
    IFileOpenDialog* dialog = nullptr;
    if (FAILED(api.coCreateInstance(FileOpenDialogClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IFileOpenDialog),
                                    (void**)&dialog)))
        return nullptr;
    FolderDialogPrepare(api, dialog, title, start);
    HeapStr picked = SUCCEEDED(dialog->Show(owner)) ? FolderDialogResult(api, dialog) : nullptr;
    dialog->Release();
    return picked;
}

HeapStr FolderDialogPick(HWND owner, const char* title, const char* start)
{
    FolderDialogApi& api = FolderDialogLoaded;
    if (!FolderDialogLoad(api) || FAILED(api.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
        return nullptr;
    HeapStr picked = FolderDialogShow(api, owner, title, start);
    api.coUninitialize();
    return picked;
}
