#pragma once
// A kernel handle this scope opened and alone closes, at its end (as 7-Zip's
// CHandle does): a declaration that reads ScopedHandle needs no close on any
// way out. A folder held in the tree's table (HeldFolder, Tree.h) is never
// put in one, nor a handle a service takes over (FileTake). It is for the
// opens that fail with null; CreateFileW's INVALID_HANDLE_VALUE stays out.
#include <windows.h>

struct ScopedHandle {
    HANDLE handle;

    explicit ScopedHandle(HANDLE opened = nullptr) : handle(opened) {}
    ~ScopedHandle() { Close(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    // Where a call that gives its handle through a pointer puts it; one held
    // before is closed first.
    HANDLE* Receive()
    {
        Close();
        return &handle;
    }
    // Closes it before the scope ends, where the closing itself matters (a
    // file marked for removal goes only then).
    void Close()
    {
        if (handle)
            CloseHandle(handle);
        handle = nullptr;
    }
    // Hands the handle on to whoever now closes it; this closes nothing.
    HANDLE Give()
    {
        HANDLE given = handle;
        handle = nullptr;
        return given;
    }
};
