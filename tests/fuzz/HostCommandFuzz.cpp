// Takes the input as a shell command line and compares the host folder found
// in it with the rules written out plainly.
#include "FuzzSupport.h"
#include "app/install/HostLocator.h"
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

// Unquoted: up to the end of the first ".exe" followed by a blank or the
// end, else up to the first blank.
size_t UnquotedPathLength(const std::string& command)
{
    for (size_t i = 0; i + 4 <= command.size(); i++) {
        std::string word = command.substr(i, 4);
        for (char& c : word)
            c = Lower(c);
        if (word == ".exe" && (i + 4 == command.size() || IsBlank(command[i + 4])))
            return i + 4;
    }
    size_t blank = command.find_first_of(" \t");
    return blank == std::string::npos ? command.size() : blank;
}

bool IsAbsoluteFolder(const std::string& folder)
{
    if (folder.empty() || folder.back() != '\\')
        return false;
    char drive = Lower(folder[0]);
    if (folder.size() >= 3 && drive >= 'a' && drive <= 'z' && folder[1] == ':' && folder[2] == '\\')
        return true;
    return folder.size() > 2 && folder[0] == '\\' && folder[1] == '\\';
}

std::string ExpectedFolder(const std::string& command)
{
    std::string path;
    if (!command.empty() && command[0] == '"')
        path = command.substr(1, command.find('"', 1) - 1);    // npos - 1 still means the rest
    else
        path = command.substr(0, UnquotedPathLength(command));
    size_t last = path.rfind('\\');
    std::string folder = last == std::string::npos ? "" : path.substr(0, last + 1);
    folder = folder.substr(0, folder.find('"'));
    return IsAbsoluteFolder(folder) ? folder : "";
}

void CheckFolder(const char* command, TempStr resultStart, const std::string& expected)
{
    HostFolderFromCommand(command, resultStart);
    Check(resultStart == expected);
    Check(StrWorkPosition() == resultStart + expected.size());
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char* buffer = WorkBuffer();
    std::string command((const char*)data, strnlen((const char*)data, size));
    std::string expected = ExpectedFolder(command);

    // From outside the work buffer, exactly sized so that over-reading is caught.
    auto outside = std::make_unique<char[]>(command.size() + 1);
    std::memcpy(outside.get(), command.c_str(), command.size() + 1);
    CheckFolder(outside.get(), buffer, expected);

    // As the locator has it: the value read into the work buffer, the folder
    // built after it.
    if (command.size() < StrWorkBufferSize / 2) {
        std::memcpy(buffer, command.c_str(), command.size() + 1);
        CheckFolder(buffer, buffer + command.size() + 1, expected);
        Check(command == buffer);
    }
    if (size == 0)
        CheckFolder(nullptr, buffer, "");
    StrRewind(buffer);
    return 0;
}
