#include "app/run/HostChoice.h"
#include "app/TextBox.h"
#include "app/install/HostLocator.h"
#include "app/window/FolderDialog.h"
#include "app/window/Installer.h"
#include "gui/Win.h"
#include "runtime/File.h"
#include "runtime/Str.h"

// The dialog first opens above the registered folder, where PureBasic was
// moved from; after a refused folder, in that folder, where the user was.
static HeapStr HostChoiceParentFolder(const char* folder)
{
    TempStr start = StrWorkPosition();
    StrMid(folder, 1, StrLen(folder) - 1, start);
    StrSkipTerminator();
    TempStr parent = StrWorkPosition();
    StrPathPart(start, parent);
    HeapStr result = nullptr;
    StrAssign(&result, parent);
    StrRewind(start);
    return result;
}

// Asks with the system's folder dialog, over the installer window, until the
// user picks a PureBasic folder (returned) or cancels (null); a folder
// without PureBasic.exe is refused with a message and the dialog comes back.
static HeapStr HostChoiceAsk(unsigned char language, TreeReach reach)
{
    HeapStr registered = RegisteredHostFolder();
    HeapStr start = registered ? HostChoiceParentFolder(registered) : nullptr;
    StrFree(registered);
    for (;;) {
        HeapStr path = FolderDialogPick(WinHandle(MainWindow), TextIn(TextFolderDialogTitle, language), start);
        StrFree(start);
        if (!path)
            return nullptr;
        HeapStr folder = HostFolderFromPath(path);
        StrFree(path);
        if (IsPureBasicFolder(folder, reach))
            return folder;
        TextBox(TextErrorTitle, TextNotAHostFolder, language, MB_OK | MB_ICONWARNING);
        start = folder;
    }
}

static HeapStr HostChoiceCopy(const char* folder)
{
    HeapStr copy = nullptr;
    StrSet(&copy, folder);
    return copy;
}

HeapStr HostChoiceForWindow(const char* named, unsigned char language, TreeReach reach)
{
    if (named && IsPureBasicFolder(named, reach))
        return HostChoiceCopy(named);
    if (named)
        return HostChoiceAsk(language, reach);
    HeapStr folder = LocateHostFolder(reach);
    return folder ? folder : HostChoiceAsk(language, reach);
}

HeapStr HostChoiceWithoutWindow(const char* named, TreeReach reach)
{
    if (named)
        return IsPureBasicFolder(named, reach) ? HostChoiceCopy(named) : nullptr;
    return LocateHostFolder(reach);
}

HeapStr HostChoiceForRelaunched(const char* named, TreeReach reach)
{
    return named && FileIsOnNetwork(named) ? HostChoiceCopy(named) : HostChoiceWithoutWindow(named, reach);
}
