#pragma once
// The installer's message boxes, but the usage's and the held file's: a
// title row, and a text row set in as a box shows it.
#include "app/Texts.h"
#include <windows.h>

// Shows the box with the flags unchanged (ReqMessage), the text row's place
// filled with `value` (TextBoxFormat); returns the button that closed it.
int TextBox(TextId title, TextId text, unsigned char language, UINT flags, const char* value = nullptr);
