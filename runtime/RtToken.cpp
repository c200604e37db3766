#include "RtToken.h"

int RtOwnToken(TOKEN_INFORMATION_CLASS what, void* into, DWORD size)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return -1;
    DWORD written = 0;
    BOOL known = GetTokenInformation(token, what, into, size, &written);
    CloseHandle(token);
    return known ? 1 : 0;
}
