#include "app/TextBox.h"
#include "app/TextFormat.h"
#include "runtime/Req.h"
#include "runtime/Str.h"

int TextBox(TextId title, TextId text, unsigned char language, UINT flags, const char* value)
{
    TempStr shown = TextBoxFormat(text, language, value);
    int pressed = ReqMessage(TextIn(title, language), shown, flags);
    StrRewind(shown);
    return pressed;
}
