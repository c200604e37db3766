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
