#include "runtime/Str.h"
#include <gtest/gtest.h>
#include <string>

// Each test starts and ends with the work position at the buffer's start.
class Str : public testing::Test {
protected:
    void SetUp() override { start = StrWorkPosition(); }
    void TearDown() override { StrRewind(start); }
    char* start = nullptr;
};

TEST_F(Str, MidFollowsItsEdgeCases)
{
    EXPECT_STREQ(StrMid("abc", 0, 2, start), "ab");
    EXPECT_STREQ(StrMid("abc", 4, 2, start), "");
    EXPECT_STREQ(StrMid("abc", 2, -1, start), "");
    EXPECT_STREQ(StrMid("abcdef", 2, 99, start), "bcdef");
    EXPECT_STREQ(StrMid(nullptr, 1, 5, start), "");
    EXPECT_EQ(StrWorkPosition(), start + 0) << "left on the terminator of the empty result";
    StrMid("abcdef", 3, 2, start);
    EXPECT_EQ(StrWorkPosition(), start + 2);
}

TEST_F(Str, PathPartTakesTheFolderAndCutsAtAQuote)
{
    StrPathPart("C:\\Tools\\Host\\Host.exe", start);
    EXPECT_STREQ(start, "C:\\Tools\\Host\\");
    EXPECT_EQ(StrWorkPosition(), start + 14);
    StrPathPart("Host.exe", start);
    EXPECT_STREQ(start, "");
    StrPathPart("\"C:\\A B\\prog.exe", start);
    EXPECT_STREQ(start, "C:\\A B\\");
    StrPathPart("\"C:\\A\\b.exe\" \"x\\y\"", start);
    EXPECT_STREQ(start, "C:\\A\\b.exe") << "the last backslash lies in the argument";
    StrPathPart(nullptr, start);
    EXPECT_STREQ(start, "");
}

TEST_F(Str, PadCutsOrFillsToExactlyTheWidth)
{
    EXPECT_STREQ(StrPad("Hello", 3, "=", start), "Hel");
    EXPECT_STREQ(StrPad("ab", 4, "*", start), "ab**");
    EXPECT_EQ(StrWorkPosition(), start + 4);
    EXPECT_STREQ(StrPad("ab", 0, "*", start), "");
    EXPECT_STREQ(StrPad("ab", -5, "*", start), "");
    EXPECT_STREQ(StrPad("ab", 4, nullptr, start), "ab  ");
    EXPECT_STREQ(StrPad(nullptr, 3, "=x", start), "===");
    EXPECT_EQ(std::string(StrPad("", 62, "=", start)), std::string(62, '='));
}

TEST_F(Str, SpacesAndLengths)
{
    EXPECT_STREQ(StrSpaces(3, start), "   ");
    EXPECT_STREQ(StrSpaces(0, start), "");
    EXPECT_STREQ(StrSpaces(-4, start), "");
    EXPECT_EQ(StrLen(StrSpaces(10000, start)), 10000);
    EXPECT_EQ(StrLen(nullptr), 0);
}

TEST_F(Str, EqualIsByteWiseAndNullIsEmpty)
{
    EXPECT_EQ(StrEqual(nullptr, ""), 1);
    EXPECT_EQ(StrEqual("a", "A"), 0);
    EXPECT_EQ(StrEqual("ab", "abc"), 0);
    EXPECT_EQ(StrEqual("abc", "ab"), 0);
    EXPECT_EQ(StrEqual("\xE9t\xE9", "\xE9t\xE9"), 1);
}

TEST_F(Str, ConcatenationExtendsTheTextStepByStep)
{
    StrAppend("ab");
    StrAppend(nullptr);
    EXPECT_STREQ(start, "ab");
    EXPECT_EQ(StrWorkPosition(), start + 2);
    StrMid("xyz", 2, 1, StrWorkPosition());
    StrSpaces(2, StrWorkPosition());
    StrAppend("!");
    EXPECT_STREQ(start, "aby  !");
}

TEST_F(Str, AssignStoresAnExactCopyAndRewinds)
{
    char* variable = nullptr;
    StrAppend("C:\\Host\\");
    StrAppend("Examples\\");
    StrAssign(&variable, start);
    EXPECT_STREQ(variable, "C:\\Host\\Examples\\");
    EXPECT_EQ(StrWorkPosition(), start);
    StrAppend("overwritten");
    EXPECT_STREQ(variable, "C:\\Host\\Examples\\") << "stored strings are copies";

    StrRewind(start);
    StrMid("abc", 9, 1, start);
    StrAssign(&variable, start);
    ASSERT_NE(variable, nullptr) << "an empty result is a one-byte block, not null";
    EXPECT_STREQ(variable, "");
    StrFree(variable);
}

TEST_F(Str, SetCopiesWithoutTouchingTheWorkBuffer)
{
    char* variable = nullptr;
    StrAppend("keep");
    TempStr position = StrWorkPosition();
    StrSet(&variable, "value");
    EXPECT_STREQ(variable, "value");
    EXPECT_EQ(StrWorkPosition(), position);
    EXPECT_STREQ(start, "keep");
    StrSet(&variable, variable + 2);
    EXPECT_STREQ(variable, "lue") << "set from its own text";
    StrSet(&variable, nullptr);
    EXPECT_EQ(variable, nullptr);
    StrFree(nullptr);
}

// The two statements the installer builds, step by step.
TEST_F(Str, ABuiltArgumentSurvivesTheServiceItIsPassedTo)
{
    StrAppend("D:\\Dev\\PB\\");
    StrAppend("Examples\\");
    char* argument = start;
    StrSkipTerminator();
    TempStr afterArgument = StrWorkPosition();
    EXPECT_EQ(afterArgument, start + StrLen(argument) + 1);
    StrSpaces(20, afterArgument);      // a service's own text work
    EXPECT_STREQ(argument, "D:\\Dev\\PB\\Examples\\");
    StrRewind(start);
}

TEST_F(Str, NestedResultsOverwriteTheirOwnSource)
{
    const char* value = "\"D:\\Dev\\PB\\PureBasic.exe\" \"%1\"";
    StrMid(value, 2, StrLen(value) - 7, start);
    EXPECT_STREQ(start, "D:\\Dev\\PB\\PureBasic.exe");
    StrSkipTerminator();
    StrPathPart(start, start);
    EXPECT_STREQ(start, "D:\\Dev\\PB\\");

    StrRewind(start);
    StrAppend("xyzabcdef");     // the source sits after the result start
    StrMid(start + 3, 2, 3, start + 1);
    EXPECT_STREQ(start + 1, "bcd");
    StrRewind(start);
    StrAppend("abcdefgh");
    StrPad(start + 2, 8, "-", start);
    EXPECT_STREQ(start, "cdefgh--");
}

TEST_F(Str, TextNeverRunsPastTheWorkBuffer)
{
    char* end = start + StrWorkBufferSize - 1;
    for (int i = 0; i <= StrWorkBufferSize / 10000; i++)
        StrSpaces(10000, StrWorkPosition());
    EXPECT_EQ(StrWorkPosition(), end);
    EXPECT_EQ(*end, 0);
    StrAppend("more");
    StrPad("x", 50, "=", StrWorkPosition());
    EXPECT_EQ(StrWorkPosition(), end);
    EXPECT_EQ(*end, 0);
    StrSkipTerminator();
    EXPECT_EQ(StrWorkPosition(), end) << "the last byte stays for the terminator";
    EXPECT_EQ(StrLen(start), StrWorkBufferSize - 1);
    char* big = nullptr;
    StrAssign(&big, start);
    EXPECT_EQ(StrLen(big), StrWorkBufferSize - 1);
    StrFree(big);
}

TEST_F(Str, FromIntWritesDecimalText)
{
    EXPECT_STREQ(StrFromInt(0, start), "0");
    EXPECT_STREQ(StrFromInt(4, start), "4");
    EXPECT_EQ(StrWorkPosition(), start + 1);
    EXPECT_STREQ(StrFromInt(-2147483647 - 1, start), "-2147483648");
    StrRewind(start);
    StrAppend("a ");
    StrFromInt(39328, StrWorkPosition());
    StrAppend(" bytes");
    EXPECT_STREQ(start, "a 39328 bytes");
}
