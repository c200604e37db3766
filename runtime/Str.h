#pragma once
// The string engine. Stored strings are exactly sized heap blocks owned by
// their variables; every expression is built in one work buffer at a moving
// work position, so building text never allocates. Text is UTF-8; lengths
// and positions count bytes.
//
// Protocol: a text-producing service writes its result at the result start
// the caller passes in (normally StrWorkPosition()), terminates it and leaves
// the work position on the terminator, so the next step extends the text.
// To pass built text as an argument: StrSkipTerminator(), call, StrRewind().
// Results may overwrite their own source when the source starts at or after
// the result start. Text that would run past the buffer is cut at its end.

// An installation builds up to three paths side by side, each as long as the
// host folder, which may be as long as Windows lets a path be: 32,767 UTF-16
// units, each at most 3 bytes of UTF-8.
constexpr int StrWorkBufferSize = 300000;

// Who releases a text is told by its type, at every call that gives one:
// a TempStr lies in the work buffer and is released by StrRewind to its
// start (or to any earlier one), never freed; a HeapStr is a heap block of
// its own, released by StrFree (or taken over by a variable, StrAssign).
using TempStr = char*;
using HeapStr = char*;

void StrInit();                              // allocates the work buffer
TempStr StrWorkPosition();
void StrRewind(TempStr position);
void StrSkipTerminator();                    // protects a built argument
// The bytes a result written at the result start may take, its terminator
// included; 0 outside the work buffer.
int StrRoom(const char* resultStart);

void StrAssign(HeapStr* variable, TempStr resultStart);
void StrAppend(const char* source);
// The parts one after the other at the work position, terminated and
// protected as an argument; the caller rewinds to the start returned.
TempStr StrJoin(const char* first, const char* second, const char* third = nullptr);
void StrSet(HeapStr* variable, const char* source);
void StrFree(HeapStr text);
int StrEqual(const char* a, const char* b);
int StrLen(const char* text);

TempStr StrMid(const char* source, int start, int length, TempStr resultStart);
void StrPathPart(const char* source, TempStr resultStart);
TempStr StrSpaces(int count, TempStr resultStart);
TempStr StrPad(const char* source, int width, const char* fill, TempStr resultStart);
TempStr StrFromInt(int value, TempStr resultStart);    // decimal, with a minus sign when negative
