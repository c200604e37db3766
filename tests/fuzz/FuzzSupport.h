#pragma once
// Shared by the fuzz targets.
#include "runtime/Str.h"

// A difference from the model is a crash, so that libFuzzer keeps the input.
inline void Check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// The engine's work buffer, made once for the whole run.
inline char* WorkBuffer()
{
    static char* buffer = [] {
        StrInit();
        return StrWorkPosition();
    }();
    return buffer;
}
