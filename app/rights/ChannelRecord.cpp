// The records' shapes, on the bytes alone: the copy is trusted no more than
// a command line.
#include "app/rights/ChannelRecord.h"

static int ChannelNumber(const char* bytes)
{
    unsigned value = 0;
    for (int i = ChannelNumberSize - 1; i > 0; i--)
        value = value << 8 | (unsigned char)bytes[i];
    return value <= (unsigned)ChannelLargestNumber ? (int)value : -1;
}

// Where the first zero byte stands among the bytes from `from`; `size` when none.
static int ChannelZeroAt(const char* bytes, int from, int size)
{
    int at = from;
    while (at < size && bytes[at] != 0)
        at++;
    return at;
}

static int ChannelTakeNumber(const char* bytes, int size, ChannelRecord* record)
{
    if (size != ChannelNumberSize)
        return 0;
    record->number = ChannelNumber(bytes);
    if (record->kind == ChannelAnswer)
        return record->number == 0 || record->number == 1;
    return record->number >= 0;
}

int ChannelParseRecord(const char* bytes, int size, ChannelRecord* record)
{
    *record = {};
    record->kind = ChannelGo;
    record->number = -1;
    if (!bytes || size < 1)
        return 0;
    record->kind = (ChannelKind)bytes[0];
    switch (record->kind) {
    case ChannelGo:
        return size == 1;
    case ChannelLine:
        record->text = bytes + 1;
        return ChannelZeroAt(bytes, 1, size) == size;
    case ChannelQuestion: {
        int nameEnd = ChannelZeroAt(bytes, 1, size);
        if (nameEnd >= size || ChannelZeroAt(bytes, nameEnd + 1, size) != size)
            return 0;
        record->text = bytes + 1;
        record->holders = bytes + nameEnd + 1;
        return 1;
    }
    case ChannelStep:
    case ChannelResult:
    case ChannelAnswer:
        return ChannelTakeNumber(bytes, size, record);
    }
    return 0;
}
