// Every text of the program, French then English, one a line (its line
// feeds shown as \n): app/Texts.cpp compiled natively with the version a
// build gave it, for version_once.sh.
#include "app/Texts.h"
#include <cstdio>

int main()
{
    for (int id = 0; id < TextCount; id++) {
        for (int language = LanguageFrench; language <= LanguageEnglish; language++) {
            for (const char* c = TextIn((TextId)id, (unsigned char)language); *c; c++)
                *c == '\n' ? std::fputs("\\n", stdout) : std::fputc(*c, stdout);
            std::fputc('\n', stdout);
        }
    }
    return 0;
}
