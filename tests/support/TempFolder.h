#pragma once
// A fresh folder under the system's temporary folder, removed with its
// contents by the test that made it. Paths are UTF-8, of any length.
#include <string>

std::string MakeTempFolder(const char* tag);
void RemoveFolderTree(const std::string& folder);
std::string ReadWholeFile(const std::string& path);
bool PathExists(const std::string& path);
bool IsFile(const std::string& path);         // exists and is no folder
