// The table of the folders held: each one's handle, and its final path once
// asked, until TreeRelease lets them go.
#include "Rt.h"
#include "TreeParts.h"

constexpr int TreeTableStep = 16;

// A folder held, and its final path once asked: Windows renames neither a
// held folder nor a folder above it, and Wine names a handle by the path it
// was opened by, so the system would tell the same path again until the
// folder is let go: its children are checked against it without asking.
struct TreeHeldFolder {
    HANDLE handle;
    wchar_t* path;
};

static TreeHeldFolder* TreeHeld;
static int TreeCapacity;
static int TreeCount;

int TreeKeep(HANDLE handle, wchar_t* path)
{
    if (!RtTableReserve((void**)&TreeHeld, &TreeCapacity, TreeCount, TreeTableStep, sizeof(TreeHeldFolder))) {
        CloseHandle(handle);
        RtFree(path);
        return 0;
    }
    TreeHeld[TreeCount++] = {handle, path};
    return 1;
}

wchar_t* TreeFolderPath(HANDLE folder, int* asked)
{
    TreeHeldFolder* held = nullptr;
    for (int i = 0; i < TreeCount; i++) {
        if (TreeHeld[i].handle == folder)
            held = &TreeHeld[i];
    }
    *asked = !held;
    if (held && !held->path)
        held->path = TreeFinalPath(folder);
    return held ? held->path : TreeFinalPath(folder);
}

void TreeReleaseAllBut(HeldFolder kept)
{
    int count = 0;
    for (int i = 0; i < TreeCount; i++) {
        // No handle held is null.
        if (TreeHeld[i].handle == kept) {
            TreeHeld[count++] = TreeHeld[i];
            continue;
        }
        CloseHandle(TreeHeld[i].handle);
        RtFree(TreeHeld[i].path);
    }
    TreeCount = count;
}

void TreeRelease()
{
    TreeReleaseAllBut(nullptr);
    RtFree(TreeHeld);
    TreeHeld = nullptr;
    TreeCapacity = 0;
    TreeCount = 0;
}
