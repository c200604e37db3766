// The command line split as Windows splits it: the system's own
// CommandLineToArgvW is the oracle, over tricky lines and random ones.
#include "app/script/CommandLine.h"
#include "support/Wide.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <algorithm>
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

CommandLine Parse(const std::string& line)
{
    static std::vector<char> bytes;
    bytes.assign(line.begin(), line.end());
    bytes.push_back(0);
    CommandLine parsed;
    ParseCommandLine(bytes.data(), &parsed);
    return parsed;
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

// The line an installer gives the copy it starts with administrator rights:
// the folder last and unquoted, ending in a backslash.
TEST(CommandLineParse, TakesTheRelaunchedCopysLineWholeAndNothingLess)
{
    const std::string channel = "0123456789abcdef0123456789ABCDEF";
    CommandLine copy = Parse("Setup.exe /S /L=fr /RELAUNCHED=" + channel + " /D=C:\\Pure Basic\\");
    EXPECT_TRUE(copy.understood);
    ASSERT_NE(copy.relaunched, nullptr);
    EXPECT_EQ(std::string(copy.relaunched, 32), channel);
    EXPECT_EQ(std::string(copy.folder, copy.folderLength), "C:\\Pure Basic\\");
    EXPECT_EQ(Parse("Setup.exe /S /L=fr /D=C:\\PB\\").relaunched, nullptr);
    for (const std::string& line : {"Setup.exe /L=fr /RELAUNCHED=" + channel + " /D=C:\\PB\\",
                                    "Setup.exe /S /RELAUNCHED=" + channel + " /D=C:\\PB\\",
                                    "Setup.exe /S /L=fr /RELAUNCHED=" + channel,
                                    "Setup.exe /S /L=fr /RELAUNCHED=" + channel.substr(1) + " /D=C:\\PB\\",
                                    "Setup.exe /S /L=fr /RELAUNCHED=" + channel + "0 /D=C:\\PB\\",
                                    "Setup.exe /S /L=fr /RELAUNCHED=" + channel.substr(1) + "g /D=C:\\PB\\",
                                    "Setup.exe /S /L=fr /RELAUNCHED=" + channel + " /RELAUNCHED=" + channel
                                        + " /D=C:\\PB\\"})
        EXPECT_FALSE(Parse(line).understood) << line;
}

namespace {

std::string LogOf(const CommandLine& parsed)
{
    return parsed.log ? std::string(parsed.log, parsed.logLength) : "(none)";
}

}

// /LOG= is read as /D= is: unquoted it runs to the next switch, quoted it is
// its argument as Windows splits it.
TEST(CommandLineParse, TakesTheLogFileInTheFoldersQuotingForms)
{
    CommandLine parsed = Parse("Setup.exe /S /LOG=C:\\My Logs\\setup é.log /L=en");
    EXPECT_TRUE(parsed.understood);
    EXPECT_EQ(LogOf(parsed), "C:\\My Logs\\setup é.log");
    EXPECT_EQ(parsed.language, 1);
    EXPECT_EQ(LogOf(Parse("Setup.exe \"/LOG=C:\\x y\\a.log\" /S")), "C:\\x y\\a.log");
    EXPECT_EQ(LogOf(Parse("Setup.exe /log=\"C:\\x y\\a.log\"")), "C:\\x y\\a.log");
    parsed = Parse("Setup.exe /D=C:\\PB\\ /LOG=setup.log");
    EXPECT_TRUE(parsed.understood);
    EXPECT_EQ(std::string(parsed.folder, parsed.folderLength), "C:\\PB\\");
    EXPECT_EQ(LogOf(parsed), "setup.log");
    EXPECT_EQ(Parse("Setup.exe").log, nullptr);
    for (const char* line : {"Setup.exe /LOG=", "Setup.exe /LOG=a.log /LOG=b.log", "Setup.exe /? /LOG=a.log",
                             "Setup.exe /S /L=fr /RELAUNCHED=0123456789abcdef0123456789abcdef /LOG=a.log /D=C:\\PB\\"})
        EXPECT_FALSE(Parse(line).understood) << line;
}

// /UNINSTALL and /VERIFY end an unquoted folder as any switch does, once
// each, never together, never with /?; a copy with rights never checks.
TEST(CommandLineParse, TakesARemovalOrACheckAlone)
{
    CommandLine removal = Parse("Setup.exe /D=C:\\Pure Basic /uninstall /S");
    EXPECT_TRUE(removal.understood && removal.uninstall && removal.silent && !removal.verify);
    EXPECT_EQ(std::string(removal.folder, removal.folderLength), "C:\\Pure Basic");
    EXPECT_TRUE(Parse("Setup.exe /VERIFY").verify);
    EXPECT_TRUE(Parse("Setup.exe /S /L=fr /UNINSTALL /RELAUNCHED=0123456789abcdef0123456789abcdef /D=C:\\PB\\").understood);
    for (const char* line : {"Setup.exe /UNINSTALL /VERIFY", "Setup.exe /VERIFY /VERIFY", "Setup.exe /? /UNINSTALL",
                             "Setup.exe /S /L=fr /VERIFY /RELAUNCHED=0123456789abcdef0123456789abcdef /D=C:\\PB\\"})
        EXPECT_FALSE(Parse(line).understood) << line;
}

// A backslash ending a quoted path takes the closing quote with it, and the
// /S after it lands inside the path's argument (the system's own split is
// the witness): the script still asked for silence, and gets no box.
TEST(CommandLineParse, ASilentSwitchSwallowedByQuotesStillSilences)
{
    for (std::string line : {"Setup.exe /D=\"C:\\PB\\\" /S", "Setup.exe /LOG=\"C:\\logs\\\" /s /L=en",
                             "Setup.exe \"/D=C:\\PB\\\" /S\""}) {
        std::vector<std::string> split = SystemSplit(line);
        EXPECT_EQ(std::count(split.begin(), split.end(), "/S") + std::count(split.begin(), split.end(), "/s"), 0)
            << line;
        CommandLine parsed = Parse(line);
        EXPECT_FALSE(parsed.understood) << line;
        EXPECT_TRUE(parsed.silent) << line;
    }
    CommandLine folder = Parse("Setup.exe /D=\"C:\\my /S folder\"");
    EXPECT_TRUE(folder.understood);
    EXPECT_FALSE(folder.silent) << "a folder named so is no switch";
    EXPECT_FALSE(Parse("Setup.exe /D=\"C:\\PB\\\" /Sx").silent);
    EXPECT_FALSE(Parse("Setup.exe /X").silent);
}
