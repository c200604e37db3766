#include "Rt.h"

// The CRC-32 of zip and PNG (reflected, polynomial 0xEDB88320), the one the
// build computes with zlib. The table is made on first use, in zeroed data,
// so it costs the file nothing.
static DWORD RtCrcTable[256];

static void RtFillCrcTable()
{
    for (DWORD byte = 0; byte < 256; byte++) {
        DWORD value = byte;
        for (int bit = 0; bit < 8; bit++)
            value = (value >> 1) ^ (0xEDB88320u & (0u - (value & 1)));
        RtCrcTable[byte] = value;
    }
}

DWORD RtCrc32(const void* start, SIZE_T size)
{
    // Entry 0 of a filled table is 0, entry 128 never is.
    if (!RtCrcTable[128])
        RtFillCrcTable();
    const unsigned char* next = (const unsigned char*)start;
    DWORD crc = 0xFFFFFFFFu;
    for (SIZE_T i = 0; i < size; i++)
        crc = (crc >> 8) ^ RtCrcTable[(crc ^ next[i]) & 0xFF];
    return ~crc;
}
