#include "Str.h"
#include "Rt.h"

static char* StrBuffer;
static char* StrBufferLast;     // the last byte, kept for a terminator
static char* StrPosition;

void StrInit()
{
    StrBuffer = (char*)RtAlloc(StrWorkBufferSize);
    StrBufferLast = StrBuffer ? StrBuffer + StrWorkBufferSize - 1 : nullptr;
    StrPosition = StrBuffer;
}

TempStr StrWorkPosition()
{
    return StrPosition;
}

void StrRewind(char* position)
{
    StrPosition = position;
}

void StrSkipTerminator()
{
    if (StrPosition < StrBufferLast)
        StrPosition++;
}

int StrRoom(const char* resultStart)
{
    return resultStart && resultStart >= StrBuffer && resultStart <= StrBufferLast ? (int)(StrBufferLast - resultStart) + 1
                                                                                     : 0;
}

// Writing goes through these two so that no result runs past the buffer.
static void StrBegin(TempStr resultStart)
{
    StrPosition = resultStart;
}

static int StrPut(char c)
{
    if (!StrPosition || StrPosition >= StrBufferLast)
        return 0;
    *StrPosition++ = c;
    return 1;
}

static void StrTerminate()
{
    if (StrPosition)
        *StrPosition = 0;
}

// A copy of size bytes (none for a null source) replaces the variable's
// text; copied first, as the source may be that text.
static void StrStore(HeapStr* variable, const char* source, SIZE_T size)
{
    char* copy = source ? (char*)RtAllocUnzeroed(size) : nullptr;
    for (SIZE_T i = 0; copy && i < size; i++)
        copy[i] = source[i];
    StrFree(*variable);
    *variable = copy;
}

void StrAssign(HeapStr* variable, TempStr resultStart)
{
    StrTerminate();
    // The whole result, any terminator that protects a built argument in it
    // included.
    StrStore(variable, resultStart, (SIZE_T)(StrPosition - resultStart) + 1);
    StrPosition = resultStart;
}

void StrAppend(const char* source)
{
    if (source) {
        while (*source && StrPut(*source))
            source++;
    }
    StrTerminate();
}

TempStr StrJoin(const char* first, const char* second, const char* third)
{
    TempStr start = StrWorkPosition();
    StrAppend(first);
    StrAppend(second);
    StrAppend(third);
    StrSkipTerminator();
    return start;
}

// Copies before it frees, so a variable may be set from its own text.
void StrSet(HeapStr* variable, const char* source)
{
    if (source)
        StrStore(variable, source, (SIZE_T)StrLen(source) + 1);
    else
        StrStore(variable, nullptr, 0);
}

void StrFree(char* text)
{
    RtFree(text);
}

int StrEqual(const char* a, const char* b)
{
    if (!a)
        a = "";
    if (!b)
        b = "";
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return *a == *b;
}

int StrLen(const char* text)
{
    int length = 0;
    if (text) {
        while (text[length])
            length++;
    }
    return length;
}

TempStr StrMid(const char* source, int start, int length, TempStr resultStart)
{
    StrBegin(resultStart);
    if (source) {
        for (int skip = start - 1; skip > 0 && *source; skip--)
            source++;
        for (int copied = 0; copied < length && *source; copied++) {
            if (!StrPut(*source++))
                break;
        }
    }
    StrTerminate();
    return resultStart;
}

static const char* StrLastBackslash(const char* text)
{
    const char* last = nullptr;
    for (; *text; text++) {
        if (*text == '\\')
            last = text;
    }
    return last;
}

void StrPathPart(const char* source, TempStr resultStart)
{
    StrBegin(resultStart);
    if (source) {
        const char* from = *source == '"' ? source + 1 : source;
        const char* last = StrLastBackslash(from);
        // The copy reads ahead of what it writes, so the source may be
        // the result's own place.
        for (const char* p = from; last && p <= last && *p != '"'; p++) {
            if (!StrPut(*p))
                break;
        }
    }
    StrTerminate();
}

TempStr StrSpaces(int count, TempStr resultStart)
{
    StrBegin(resultStart);
    for (int i = 0; i < count && StrPut(' '); i++) {
    }
    StrTerminate();
    return resultStart;
}

TempStr StrPad(const char* source, int width, const char* fill, TempStr resultStart)
{
    // Read the fill first: the source may sit where the result goes.
    char fillChar = fill && *fill ? *fill : ' ';
    StrBegin(resultStart);
    int written = 0;
    if (source) {
        while (written < width && *source && StrPut(*source++))
            written++;
    }
    while (written < width && StrPut(fillChar))
        written++;
    StrTerminate();
    return resultStart;
}

TempStr StrFromInt(int value, TempStr resultStart)
{
    char digits[12];
    int count = 0;
    unsigned magnitude = value < 0 ? 0u - (unsigned)value : (unsigned)value;
    do {
        digits[count++] = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    StrBegin(resultStart);
    if (value < 0)
        StrPut('-');
    while (count > 0 && StrPut(digits[count - 1]))
        count--;
    StrTerminate();
    return resultStart;
}
