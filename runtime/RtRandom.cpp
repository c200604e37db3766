#include "Rt.h"
#include "RtCalls.h"

// The system's generator, looked up when first used in a library of the
// system folder: advapi32's RtlGenRandom (SystemFunction036), imported,
// would have Windows load cryptbase.dll, to which it forwards, and that is
// no KnownDLL: it is looked for beside the program first, before a line of
// the program runs. ProcessPrng (Windows 10 on) is what BCryptGenRandom
// calls; BCryptGenRandom is there from Windows Vista on.
// BCryptGenRandom's flag for the system's preferred generator, without an
// algorithm handle.
constexpr ULONG RtPreferredGenerator = 0x00000002;

// bcrypt.dll is loaded only where ProcessPrng is missing.
static int RtRandomBytes(unsigned char* bytes, ULONG count)
{
    auto processPrng = RtProcessPrng();
    if (processPrng)
        return processPrng(bytes, count) ? 1 : 0;
    auto genRandom = RtBCryptGenRandom();
    return genRandom && genRandom(nullptr, bytes, count, RtPreferredGenerator) == 0 ? 1 : 0;
}

// Bytes that cannot be predicted, not a sequence seeded from the clock: all
// asked for in one call, in the text's own place, each then made a digit.
int RtRandomHex(char* text, int digits)
{
    static const char hexDigits[] = "0123456789abcdef";
    if (!RtRandomBytes((unsigned char*)text, (ULONG)digits))
        return 0;
    for (int i = 0; i < digits; i++)
        text[i] = hexDigits[text[i] & 15];
    text[digits] = 0;
    return 1;
}
