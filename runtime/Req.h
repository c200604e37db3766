#pragma once
// The message requester: a modal message box over the program's own window.
#include <windows.h>

// Shows the box with the flags unchanged; returns the button that closed it
// (IDOK for a plain box), 0 when it could not be shown.
int ReqMessage(const char* title, const char* text, UINT flags);
