#pragma once
// Real mouse input, as a user gives it: the cursor moves to a screen point
// and the button goes down and up there.
#include <windows.h>

void ClickWithMouseAt(POINT screenPoint);
