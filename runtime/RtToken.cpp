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

// 1 when the token's groups hold Administrators, enabled; a membership that
// cannot be told is taken for one, as a token that cannot be read is.
static int RtInAdministrators()
{
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    BOOL member = TRUE;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size)
        || !CheckTokenMembership(nullptr, sid, &member))
        return 1;
    return member != FALSE;
}

RtRights RtOwnRights()
{
    TOKEN_ELEVATION elevation = {};
    int known = RtOwnToken(TokenElevation, &elevation, sizeof elevation);
    // A token that cannot be read may hold any rights.
    if (known < 0 || (known > 0 && elevation.TokenIsElevated))
        return RtRightsFull;
    RtTokenUser user;
    if (RtOwnToken(TokenUser, &user, sizeof user) > 0 && IsWellKnownSid(user.user.User.Sid, WinLocalSystemSid))
        return RtRightsFull;
    if (known > 0)
        return RtRightsLimited;
    // Before Windows Vista the query fails: there is no elevation to ask
    // for, and an administrator's token holds every right it has.
    return RtInAdministrators() ? RtRightsFull : RtRightsPlain;
}
