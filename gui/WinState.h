#pragma once
// What the files of the window service share: its one state record and the
// helpers more than one of them calls. Included by gui/Win*.cpp alone; users
// of the service see only Win.h.
#include "Win.h"

struct WinRecord {
    HWND handle;
    int acceleratorCount;
    ACCEL* acceleratorEntries;
    HACCEL acceleratorTable;
};

struct WinState {
    WinRecord* table;
    int capacity;
    WNDCLASSEXW classTemplate;
    HBRUSH defaultBrush;
    HWND current;
    WinCallback callback;
    int eventCode;
    int eventControl;
    int eventType;
    int dpi;            // 0 until WinDpi reads it or WinSetDpi sets it
};

extern WinState Win;                            // defined in WinTable.cpp

// Class names are formatted into the caller's own buffer: messages sent while
// a window is made may open another window re-entrantly.
struct WinClassName {
    wchar_t text[50];
};

// WinTable.cpp: the numbered table and the classes.
WinClassName WinFormatClassName(int window);
void WinRegisterClass(const WinClassName& name);
const WinRecord& WinLookup(int window);         // an empty record for a number with no window

// WinDpi.cpp: a window's outer rectangle around a client rectangle, with the
// frame that its style has at the present scale.
void WinAdjustForFrame(RECT* rect, DWORD style);

// WinTab.cpp: the Tab and Shift+Tab accelerators every window owns.
void WinGiveAccelerators(WinRecord* record);
void WinDropAccelerators(WinRecord* record);
