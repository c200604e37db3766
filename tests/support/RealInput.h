#pragma once
// Real input, as a user gives it: the cursor moves to a screen point and the
// button goes down and up there; a key goes down and up where the focus is.
#include <windows.h>

void ClickWithMouseAt(POINT screenPoint);
void RealKey(WORD key, bool withShift = false);
