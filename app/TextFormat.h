#pragma once
// The one way a row becomes the text shown: its places filled, and, in a
// box, its lines set in.
#include "app/Texts.h"
#include "runtime/Str.h"

// The row in the language given at the work position, each %1 in it
// replaced by `first` and each %2 by `second`, as they are: a value is
// never read for places, and a missing one leaves its place empty. A %
// followed by anything else stays as it is. Terminated and protected as an
// argument; the caller rewinds to the start returned.
TempStr TextFormat(TextId id, unsigned char language, const char* first = nullptr, const char* second = nullptr);
// The same as a message box shows it: each of the row's lines that is not
// empty set in by six blanks, as every box of the installer but the
// usage's and the held file's.
TempStr TextBoxFormat(TextId id, unsigned char language, const char* first = nullptr, const char* second = nullptr);
