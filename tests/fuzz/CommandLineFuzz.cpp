// Takes the input as the program's whole command line. How it is split into
// arguments is Windows' (compared with CommandLineToArgvW under Wine by the
// host locator's tests); here the splitting keeps its invariants (in bounds,
// in order, and a line quoted back from its arguments splits into the same
// ones), and what the switches make of the arguments, the /D= folder's and
// the /LOG= file's runs over the line included, is compared with a model.
#include "FuzzSupport.h"
#include "app/script/CommandLine.h"
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct Argument {
    std::string value;
    bool quoted;
    size_t start, end;          // its text in the line
};

struct Expected {
    bool understood = true;
    bool silent = false;
    bool usage = false;
    int language = CommandLanguageNone;
    bool hasFolder = false;
    std::string folder;
    bool hasLog = false;
    std::string log;
    bool hasChannel = false;
};

std::vector<Argument> Split(const std::string& line)
{
    std::vector<char> bytes(line.begin(), line.end());
    bytes.push_back(0);
    char* first = bytes.data();
    char* next = CommandSkipProgramName(first);
    Check(next >= first && next <= first + line.size());
    std::vector<Argument> arguments;
    CommandArgument argument;
    while (CommandSplitArgument(&next, &argument)) {
        Check(argument.text >= first && argument.end <= first + line.size() && argument.length >= 0
              && argument.text + argument.length <= argument.end && next == argument.end);
        Check(arguments.empty() || (size_t)(argument.text - first) >= arguments.back().end);
        Check(argument.quoted == (std::memchr(line.data() + (argument.text - first), '"', argument.end - argument.text)
                                  != nullptr));
        arguments.push_back({std::string(argument.text, argument.length), argument.quoted != 0,
                             (size_t)(argument.text - first), (size_t)(argument.end - first)});
    }
    return arguments;
}

// The documented way to quote an argument for CommandLineToArgvW.
std::string Quote(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            backslashes++;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        quoted += c;
        backslashes = 0;
    }
    return quoted.append(backslashes * 2, '\\') + "\"";
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
    return text;
}

bool IsSwitch(const std::string& value)
{
    std::string word = Lower(value);
    return word == "/s" || word == "/?" || word == "/l=fr" || word == "/l=en" || word.starts_with("/d=")
        || word.starts_with("/log=") || word.starts_with("/relaunched=");
}

// /relaunched= and exactly 32 hexadecimal digits.
bool IsChannelWord(const std::string& word)
{
    const std::string name = "/relaunched=";
    return word.size() == name.size() + ChannelNameLength && word.starts_with(name)
        && word.find_first_not_of("0123456789abcdef", name.size()) == std::string::npos;
}

void SetPath(std::string path, bool& has, std::string& value, Expected& expected)
{
    if (!path.empty() && path.back() == '"')
        path.pop_back();
    if (has || path.empty() || path.find('"') != std::string::npos)
        expected.understood = false;
    has = true;
    value = path;
}

// "/s" as a word of the text, between blanks and quotes.
bool HoldsSilentWord(const std::string& text)
{
    std::string word;
    for (char c : text + " ") {
        if (c == ' ' || c == '\t' || c == '"') {
            if (Lower(word) == "/s")
                return true;
            word.clear();
        } else {
            word += c;
        }
    }
    return false;
}

Expected Model(const std::string& line, const std::vector<Argument>& arguments)
{
    Expected expected;
    std::map<std::string, int> seen;
    for (size_t i = 0; i < arguments.size();) {
        const Argument& argument = arguments[i];
        std::string word = Lower(argument.value);
        bool isLog = word.starts_with("/log=");
        size_t switchLength = isLog ? 5 : 3;
        bool& has = isLog ? expected.hasLog : expected.hasFolder;
        std::string& value = isLog ? expected.log : expected.folder;
        if (!word.starts_with("/d=") && !isLog) {
            // Keys with a blank, which no word holds.
            if (word.starts_with("/relaunched="))
                word = IsChannelWord(word) ? " channel" : " bad channel";
            seen[word]++;
            i++;
            continue;
        }
        if (argument.quoted) {
            SetPath(argument.value.substr(switchLength), has, value, expected);
            i++;
            continue;
        }
        // Unquoted: the line itself up to the next switch.
        size_t end = argument.end;
        for (i++; i < arguments.size() && !IsSwitch(arguments[i].value); i++) {
            end = arguments[i].end;
            expected.understood = expected.understood && !arguments[i].quoted;
        }
        size_t start = line.find_first_not_of(" \t", argument.start + switchLength);
        SetPath(start < end ? line.substr(start, end - start) : "", has, value, expected);
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
    if (seen["/l=fr"] + seen["/l=en"] > 0)
        expected.language = seen["/l=fr"] > 0 ? 0 : 1;
    if (expected.usage
        && (expected.silent || expected.language != CommandLanguageNone || expected.hasFolder || expected.hasLog))
        expected.understood = false;
    if (expected.hasChannel
        && (!expected.silent || expected.language == CommandLanguageNone || !expected.hasFolder || expected.hasLog))
        expected.understood = false;
    if (!expected.understood && !arguments.empty() && HoldsSilentWord(line.substr(arguments.front().start)))
        expected.silent = true;
    return expected;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string line((const char*)data, strnlen((const char*)data, size));
    std::vector<Argument> arguments = Split(line);
    std::string quotedBack = "Setup.exe";
    for (const Argument& argument : arguments)
        quotedBack += " " + Quote(argument.value);
    std::vector<Argument> again = Split(quotedBack);
    Check(again.size() == arguments.size());
    for (size_t i = 0; i < arguments.size() && i < again.size(); i++)
        Check(again[i].value == arguments[i].value);

    Expected expected = Model(line, arguments);
    // Exactly sized, so that reading past the terminator is caught.
    std::vector<char> copy(line.begin(), line.end());
    copy.push_back(0);
    CommandLine parsed;
    ParseCommandLine(copy.data(), &parsed);

    Check((parsed.understood != 0) == expected.understood);
    Check((parsed.silent != 0) == expected.silent);
    Check((parsed.folder != nullptr) == expected.hasFolder);
    Check((parsed.log != nullptr) == expected.hasLog);
    if (parsed.folder) {
        Check(parsed.folder >= copy.data() && parsed.folderLength >= 0
              && parsed.folder + parsed.folderLength <= copy.data() + line.size());
    }
    if (parsed.log) {
        Check(parsed.log >= copy.data() && parsed.logLength >= 0
              && parsed.log + parsed.logLength <= copy.data() + line.size());
    }
    if (expected.understood) {
        Check((parsed.usage != 0) == expected.usage);
        Check(parsed.language == expected.language);
        Check(!parsed.folder || std::string(parsed.folder, parsed.folderLength) == expected.folder);
        Check(!parsed.log || std::string(parsed.log, parsed.logLength) == expected.log);
        Check((parsed.relaunched != nullptr) == expected.hasChannel);
    }
    if (size == 0) {
        ParseCommandLine(nullptr, &parsed);
        Check(parsed.understood && !parsed.silent && !parsed.usage && !parsed.folder && !parsed.log);
    }
    return 0;
}
