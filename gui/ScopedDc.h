#pragma once
// A device context this scope made and alone deletes, and an object chosen
// into one until the scope ends (as SumatraPDF's AutoDeleteDC and
// ScopedSelectObject are): drawing code that reads them has no clean-up of
// its own on any way out. Declared in this order, the object goes back out
// of the context before the context is deleted.
#include <windows.h>

// For contexts made by CreateCompatibleDC or CreateDCW, never one a window
// lends (GetDC), which goes back through ReleaseDC.
struct ScopedDc {
    HDC dc;

    explicit ScopedDc(HDC made) : dc(made) {}
    ~ScopedDc()
    {
        if (dc)
            DeleteDC(dc);
    }
    ScopedDc(const ScopedDc&) = delete;
    ScopedDc& operator=(const ScopedDc&) = delete;
};

// A bitmap selected into a memory context stays bound to it until the one
// selected before comes back: only then may the bitmap be drawn on, or
// deleted, elsewhere. Chosen() is 0 when the selection failed.
struct ScopedSelection {
    HDC dc;
    HGDIOBJ previous;

    // SelectObject fails on a null context: a context that could not be made
    // selects nothing.
    ScopedSelection(HDC into, HGDIOBJ object) : dc(into), previous(SelectObject(into, object)) {}
    ~ScopedSelection()
    {
        if (previous)
            SelectObject(dc, previous);
    }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

    int Chosen() const { return previous != nullptr; }
};
