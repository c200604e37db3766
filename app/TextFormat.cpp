#include "app/TextFormat.h"
#include "runtime/Str.h"

static constexpr char TextBoxIndent[] = "      ";

static TempStr TextFill(TextId id, unsigned char language, const char* first, const char* second, int indented)
{
    TempStr start = StrWorkPosition();
    StrAppend("");
    int lineStart = 1;
    for (const char* c = TextIn(id, language); *c; c++) {
        if (indented && lineStart && *c != '\n')
            StrAppend(TextBoxIndent);
        lineStart = *c == '\n';
        if (*c == '%' && (c[1] == '1' || c[1] == '2')) {
            StrAppend(*++c == '1' ? first : second);
            continue;
        }
        const char one[] = {*c, 0};
        StrAppend(one);
    }
    StrSkipTerminator();
    return start;
}

TempStr TextFormat(TextId id, unsigned char language, const char* first, const char* second)
{
    return TextFill(id, language, first, second, 0);
}

TempStr TextBoxFormat(TextId id, unsigned char language, const char* first, const char* second)
{
    return TextFill(id, language, first, second, 1);
}
