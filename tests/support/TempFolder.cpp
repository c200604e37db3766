#include "TempFolder.h"
#include <windows.h>
#include <fstream>
#include <iterator>

std::string MakeTempFolder(const char* tag)
{
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static int serial;
    std::string folder = std::string(base) + "qf_" + tag + "_" + std::to_string(GetCurrentProcessId()) + "_"
        + std::to_string(++serial) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// Windows and Wine refuse to delete a file marked read-only.
static void RemoveFile(const std::string& path)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

void RemoveFolderTree(const std::string& folder)
{
    std::string pattern = folder + "*";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolderTree(folder + name + "\\");
            else
                RemoveFile(folder + name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
