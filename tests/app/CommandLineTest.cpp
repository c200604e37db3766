// The command line split as Windows splits it: the system's own
// CommandLineToArgvW is the oracle, over tricky lines and random ones.
#include "app/CommandLine.h"
#include "support/Wide.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <random>
#include <string>
#include <vector>

namespace {

// The arguments after the program's name, each as UTF-8.
std::vector<std::string> OwnSplit(const std::string& line)
{
    std::vector<char> bytes(line.begin(), line.end());
    bytes.push_back(0);
    std::vector<std::string> arguments;
    char* next = CommandSkipProgramName(bytes.data());
    CommandArgument argument;
    while (CommandSplitArgument(&next, &argument))
        arguments.emplace_back(argument.text, argument.length);
    return arguments;
}

std::vector<std::string> SystemSplit(const std::string& line)
{
    int count = 0;
    wchar_t** split = CommandLineToArgvW(Wide(line).c_str(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; split && i < count; i++)
        arguments.push_back(Utf8(split[i], lstrlenW(split[i])));
    LocalFree(split);
    return arguments;
}

}

TEST(CommandLineSplit, IsWindowsOwnOnTrickyLines)
{
    std::vector<std::string> lines = {
        "Setup.exe /S /L=en \"/D=C:\\Program Files\\PureBasic\"",
        "Setup.exe /D=\"C:\\Program Files\\PureBasic\" /S",
        "Setup.exe \"/S\"  \"/L=fr\"   /D=C:\\Program Files\\Pure Basic  ",
        "Setup.exe /D=\"C:\\PB\\\" /S",
        "Setup.exe /D=\"C:\\PB\\\\\" /S",
        "Setup.exe a\\\\\\\"b \"c\\\\\\\\\"d e\\\\f\\\\\\\\ \\\"",
        "Setup.exe\t/S\t/L=en\t\"/D=C:\\x\ty\"\t",
        "Setup.exe \"\" \"\"\"\" \"\"\"\"\"\" a\"\"b \"a\"\"b c\" \"a\"\"\"b\" /D=\"\"",
        "Setup.exe \"/D=C:\\Program Files\\PureBasic",
        "Setup.exe /S \"",
        "Setup.exe a\"b c",
        "\"C:\\Program Files\\Setup.exe\"/S \"x y\"",
        "\"C:\\Setup.exe",
        " /S /L=en",
        "Set\"up.exe\" /S x\"y z\"",
        "Setup.exe /d=C:\\Données\\PureBasic é\"à b\"",
    };
    std::string longLine = "Setup.exe";
    for (int i = 0; i < 3000; i++)
        longLine += " \"a b\\\"\" c\\\\\"d\\\" e\"\t\\\\\\";
    lines.push_back(longLine);
    for (const std::string& line : lines)
        EXPECT_EQ(OwnSplit(line), SystemSplit(line)) << line;
}

TEST(CommandLineSplit, IsWindowsOwnOnRandomLines)
{
    const char pieces[][3] = {"\"", "\"", "\\", "\\", " ", "\t", "a", "/", "é"};
    std::mt19937 random(29);
    for (int round = 0; round < 5000; round++) {
        std::string line;
        int length = 1 + (int)(random() % 16);
        for (int i = 0; i < length; i++)
            line += pieces[random() % std::size(pieces)];
        ASSERT_EQ(OwnSplit(line), SystemSplit(line)) << line;
    }
}
