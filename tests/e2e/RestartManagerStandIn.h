#pragma once
// What the stand-in Restart Manager (RestartManagerStandIn.cpp) answers,
// shared with the test that puts it in place.
#include <windows.h>

// The end of the file's path for which it lists a holder.
static const wchar_t StandInHeldFile[] = L"\\Help\\Quillfern.chm";
// The holder's name, beyond ASCII and beyond the 16-bit range.
static const wchar_t StandInHolderName[] = L"Visionneuse d’aide Ærø – 帮助 𝄞";
