#pragma once
// What the test wizards share: their command line's folder option, and
// writing what they install.
#include <windows.h>

#include <string>

inline bool StartsWith(const std::wstring& s, const wchar_t* prefix) {
    return s.compare(0, wcslen(prefix), prefix) == 0;
}

// `rest` without its leading spaces; false when nothing is left.
inline bool SkipSpaces(std::wstring& rest) {
    const size_t start = rest.find_first_not_of(L' ');
    if (start == std::wstring::npos) return false;
    rest = rest.substr(start);
    return true;
}

// "/D=<folder>" takes the rest of the line, unquoted, as it may hold spaces:
// true when `rest` is that option, with `folder` set from it.
inline bool TakeFolderOption(const std::wstring& rest, std::wstring& folder) {
    if (!StartsWith(rest, L"/D=")) return false;
    folder = rest.substr(3);
    while (!folder.empty() && folder.back() == L' ') folder.pop_back();
    return true;
}

// The folder and every missing folder above it.
inline void MakeFolders(const std::wstring& folder) {
    for (size_t at = folder.find(L'\\', 3); at != std::wstring::npos; at = folder.find(L'\\', at + 1)) {
        CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
    }
    CreateDirectoryW(folder.c_str(), nullptr);
}

inline bool WriteFileText(const std::wstring& path, const std::string& body) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, body.data(), DWORD(body.size()), &written, nullptr) &&
                    written == body.size();
    return CloseHandle(file) && ok;
}
