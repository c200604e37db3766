#pragma once
// The holder that the stand-in Restart Manager (RestartManagerStandIn.cpp)
// names, beyond ASCII and beyond the 16-bit range.
#include <windows.h>

static const wchar_t StandInHolderName[] = L"Visionneuse d’aide Ærø – 帮助 𝄞";
