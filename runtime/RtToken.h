#pragma once
// What this process's token says of it: its elevation, its account.
#include <windows.h>

// This process's token, asked one thing: 1 when `into` holds the answer, 0
// when the token does not know it (before Windows Vista, for elevation), -1
// when the token cannot be opened.
int RtOwnToken(TOKEN_INFORMATION_CLASS what, void* into, DWORD size);
// The token's user (TokenUser): the structure, then the SID it points to.
union RtTokenUser {
    TOKEN_USER user;
    BYTE block[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
};

// What this process may do, as its token tells: read once, at start, by
// the program, which passes it down.
enum RtRights : unsigned char {
    RtRightsLimited,        // not elevated, where the system elevates: rights can be asked for
    RtRightsPlain,          // before Windows Vista: neither an administrator nor the system's account
    RtRightsFull,           // elevated, the system's own account, before Vista an administrator, or a token that cannot be read
};
RtRights RtOwnRights();
