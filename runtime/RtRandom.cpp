#include "Rt.h"
#include <ntsecapi.h>

// The system's generator (advapi32, already imported): bytes that cannot be
// predicted, not a sequence seeded from the clock.
int RtRandomHex(char* text, int digits)
{
    static const char hexDigits[] = "0123456789abcdef";
    unsigned char byte = 0;
    for (int i = 0; i < digits; i++) {
        if (!RtlGenRandom(&byte, 1))
            return 0;
        text[i] = hexDigits[byte & 15];
    }
    text[digits] = 0;
    return 1;
}
