#pragma once
// What a test sends the test build of ScaleChangeSent.cpp, as WM_COPYDATA
// (which the system copies into the other process): the scale and the
// rectangle of the WM_DPICHANGED that the build then sends its own window.
#include <windows.h>

constexpr ULONG_PTR ScaleChangeTag = 0x51534443;    // "QSDC"

struct ScaleChange {
    UINT dpi;
    RECT suggested;
};
