#pragma once
// Strings hold UTF-8; the system's wide functions take and give UTF-16.
// These two conversions are the one way between them.
#include "Str.h"

// UTF-16 text in a heap block of its own, released by RtFree.
using HeapWideStr = wchar_t*;

// The text as UTF-16 in a new heap block, which the caller frees with
// RtFree. Null for a null text, for bytes that are not UTF-8, and when the
// heap cannot supply the block.
HeapWideStr StrToWide(const char* text);
// Writes the zero-terminated UTF-16 text as UTF-8 at the result start
// (string protocol) and returns the result start. A null text, one that is
// not UTF-16 (a lone surrogate) and one that would not fit whole into the
// work buffer give the empty result: never a part of the text.
TempStr StrFromWide(const wchar_t* text, TempStr resultStart);
