#pragma once
// The program's UTF-8 and the UTF-16 of the system's wide functions, for
// tests that read texts and paths as the system holds them.
#include <windows.h>
#include <string>

inline std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), wide.data(), (int)wide.size());
    wide.resize(count > 0 ? count : 0);
    return wide;
}

inline std::string Utf8(const wchar_t* text, int length)
{
    std::string utf8((size_t)(length > 0 ? length : 0) * 3, '\0');
    int count = WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), (int)utf8.size(), nullptr, nullptr);
    utf8.resize(count > 0 ? count : 0);
    return utf8;
}

inline std::string Utf8(const std::wstring& text)
{
    return Utf8(text.data(), (int)text.size());
}

// A drive path in the long form "\\?\", which the wide functions take up
// to 32,767 characters; other paths as they are. A longer one is no path
// (Wine would cut its length to 16 bits and name another).
inline std::wstring WidePath(const std::string& path)
{
    std::wstring wide = Wide(path);
    if (wide.size() > 2 && wide[1] == L':')
        wide = L"\\\\?\\" + wide;
    return wide.size() <= 32767 ? wide : L"";
}
