// A row's places filled by the one formatter: each value as it is, never
// read again for places; a box's set-in for the row's lines, not a value's.
#include "app/TextFormat.h"
#include "runtime/Str.h"
#include <gtest/gtest.h>

TEST(TextFormat, FillsEachPlaceWithItsValueAsItIs)
{
    TempStr start = StrWorkPosition();
    EXPECT_STREQ(TextFormat(TextHeld, LanguageEnglish, "a%2b%1", "%1%"), "The file a%2b%1 is in use by %1%.");
    EXPECT_STREQ(TextFormat(TextHeld, LanguageFrench, nullptr, "x"), "Le fichier  est utilisé par x.");
    EXPECT_STREQ(TextBoxFormat(TextLogFileFailedBoth, LanguageBoth, "C:\\a\nb"),
                 "      Le fichier journal ne peut pas être créé : \n      C:\\a\nb\n\n"
                 "      The log file cannot be created: \n      C:\\a\nb");
    StrRewind(start);
}
