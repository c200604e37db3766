// Takes the input as the program's whole command line and compares what the
// parser makes of it with the rules written out plainly.
#include "app/CommandLine.h"
#include "FuzzSupport.h"
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace {

struct Expected {
    bool understood = true;
    bool silent = false;
    bool usage = false;
    int language = CommandLanguageNone;
    bool hasFolder = false;
    std::string folder;
    bool hasChannel = false;
};

const char Blanks[] = " \t";

std::string Lower(std::string text)
{
    for (char& c : text)
        c = c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
    return text;
}

size_t AfterProgramName(const std::string& line)
{
    size_t end = line.empty() || line[0] != '"' ? line.find_first_of(Blanks) : line.find('"', 1);
    if (end == std::string::npos)
        return line.size();
    return line[0] == '"' ? end + 1 : end;
}

std::string FolderOf(std::string rest, Expected& expected)
{
    size_t last = rest.find_last_not_of(Blanks);
    rest = last == std::string::npos ? "" : rest.substr(0, last + 1);
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"')
        rest = rest.substr(1, rest.size() - 2);
    if (rest.empty() || rest.find('"') != std::string::npos)
        expected.understood = false;
    return rest;
}

// /relaunched= and exactly 32 hexadecimal digits.
bool IsChannelWord(const std::string& word)
{
    const std::string name = "/relaunched=";
    return word.size() == name.size() + CommandChannelLength && word.compare(0, name.size(), name) == 0
        && word.find_first_not_of("0123456789abcdef", name.size()) == std::string::npos;
}

Expected Model(const std::string& line)
{
    Expected expected;
    std::map<std::string, int> seen;
    for (size_t at = line.find_first_not_of(Blanks, AfterProgramName(line)); at != std::string::npos;) {
        std::string rest = line.substr(at);
        if (Lower(rest.substr(0, 3)) == "/d=") {
            expected.hasFolder = true;
            expected.folder = FolderOf(rest.substr(3), expected);
            break;
        }
        size_t end = line.find_first_of(Blanks, at);
        std::string word = Lower(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
        // Keys with a blank, which no word holds.
        bool channel = word.compare(0, 12, "/relaunched=") == 0;
        seen[channel ? (IsChannelWord(word) ? " channel" : " bad channel") : word]++;
        if (word == "/l=fr" || word == "/l=en")
            expected.language = word == "/l=fr" ? 0 : 1;
        at = end == std::string::npos ? end : line.find_first_not_of(Blanks, end);
    }
    for (const auto& [word, count] : seen) {
        if (word != "/s" && word != "/?" && word != "/l=fr" && word != "/l=en" && word != " channel")
            expected.understood = false;
    }
    if (seen["/s"] > 1 || seen["/?"] > 1 || seen["/l=fr"] + seen["/l=en"] > 1 || seen[" channel"] > 1)
        expected.understood = false;
    expected.hasChannel = seen[" channel"] > 0;
    expected.silent = seen["/s"] > 0;
    expected.usage = seen["/?"] > 0;
    if (expected.usage && (expected.silent || seen["/l=fr"] + seen["/l=en"] > 0 || expected.hasFolder))
        expected.understood = false;
    if (expected.hasChannel && (!expected.silent || seen["/l=fr"] + seen["/l=en"] == 0 || !expected.hasFolder))
        expected.understood = false;
    return expected;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string line((const char*)data, strnlen((const char*)data, size));
    Expected expected = Model(line);

    // Exactly sized, so that reading past the terminator is caught.
    auto copy = std::make_unique<char[]>(line.size() + 1);
    std::memcpy(copy.get(), line.c_str(), line.size() + 1);
    CommandLine parsed;
    ParseCommandLine(copy.get(), &parsed);

    Check((parsed.understood != 0) == expected.understood);
    Check((parsed.silent != 0) == expected.silent);
    Check((parsed.folder != nullptr) == expected.hasFolder);
    if (parsed.folder) {
        Check(parsed.folder >= copy.get() && parsed.folderLength >= 0
              && parsed.folder + parsed.folderLength <= copy.get() + line.size());
    }
    if (expected.understood) {
        Check((parsed.usage != 0) == expected.usage);
        Check(parsed.language == expected.language);
        Check(!parsed.folder || std::string(parsed.folder, parsed.folderLength) == expected.folder);
        Check((parsed.channel != nullptr) == expected.hasChannel);
    }
    if (size == 0) {
        ParseCommandLine(nullptr, &parsed);
        Check(parsed.understood && !parsed.silent && !parsed.usage && !parsed.folder);
    }
    return 0;
}
