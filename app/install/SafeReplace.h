#pragma once
// One file of a held folder replaced so that it never holds less than a
// whole file: its new bytes are written to a new file beside it, flushed,
// read back through the same handle and only then renamed over it.
#include "runtime/Tree.h"

// Replaces `target` of the folder with the bytes when `replaceable`: 1 when
// the target then holds them all, exactly; else the target is as it was and
// *held tells whether another program holding it open kept it there. A new
// file left beside the target by a run cut off is removed either way.
int SafeReplaceFile(HeldFolder folder, const char* target, int replaceable, const unsigned char* start,
                    const unsigned char* end, int* held);
