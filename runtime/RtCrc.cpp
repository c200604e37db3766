#include "Rt.h"

// The CRC-32 of zip and PNG (reflected, polynomial 0xEDB88320), the one the
// build computes with zlib, taken sixteen bytes at a time: the whole payload
// is checked before the window opens, and a byte at a time that took longer
// than reading it. Table k gives the CRC of a byte followed by k zero bytes,
// so the sixteen lookups of one step are independent of each other. The tables are
// made on first use, in zeroed data, so they cost the file nothing.
constexpr int RtCrcSlices = 16;
static DWORD RtCrcTable[RtCrcSlices][256];

static void RtFillCrcTables()
{
    for (DWORD byte = 0; byte < 256; byte++) {
        DWORD value = byte;
        for (int bit = 0; bit < 8; bit++)
            value = (value >> 1) ^ (0xEDB88320u & (0u - (value & 1)));
        RtCrcTable[0][byte] = value;
    }
    for (int slice = 1; slice < RtCrcSlices; slice++) {
        for (DWORD byte = 0; byte < 256; byte++) {
            DWORD previous = RtCrcTable[slice - 1][byte];
            RtCrcTable[slice][byte] = (previous >> 8) ^ RtCrcTable[0][previous & 0xFF];
        }
    }
}

// Four bytes as the little-endian number they make.
static DWORD RtCrcWord(const unsigned char* at)
{
    return at[0] | at[1] << 8 | at[2] << 16 | (DWORD)at[3] << 24;
}

// The part of a step's CRC that comes from four bytes lying `after` bytes
// before the step's end. Inlined, so that the lookups of a step interleave.
[[gnu::always_inline]] static inline DWORD RtCrcFold(int after, DWORD word)
{
    return RtCrcTable[after + 3][word & 0xFF] ^ RtCrcTable[after + 2][(word >> 8) & 0xFF]
           ^ RtCrcTable[after + 1][(word >> 16) & 0xFF] ^ RtCrcTable[after][word >> 24];
}

DWORD RtCrc32(const void* start, SIZE_T size)
{
    // Entry 0 of a filled table is 0, entry 128 never is; the last table is
    // filled last.
    if (!RtCrcTable[RtCrcSlices - 1][128])
        RtFillCrcTables();
    const unsigned char* next = (const unsigned char*)start;
    DWORD crc = 0xFFFFFFFFu;
    for (; size >= RtCrcSlices; size -= RtCrcSlices, next += RtCrcSlices) {
        crc = RtCrcFold(12, crc ^ RtCrcWord(next)) ^ RtCrcFold(8, RtCrcWord(next + 4))
              ^ RtCrcFold(4, RtCrcWord(next + 8)) ^ RtCrcFold(0, RtCrcWord(next + 12));
    }
    for (; size > 0; size--, next++)
        crc = (crc >> 8) ^ RtCrcTable[0][(crc ^ *next) & 0xFF];
    return ~crc;
}
