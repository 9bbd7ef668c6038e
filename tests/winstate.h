// What the programs under Wine leave in the system: files, a test folder,
// and the settings in the registry.
#pragma once
#include <windows.h>

#include <string>

#include "tests/bytes.h"

// Paths here are UTF-8.
inline std::wstring Wide(const std::string& text)
{
    wchar_t wide[1024];
    int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide, 1024);
    return std::wstring(wide, n > 0 ? static_cast<size_t>(n - 1) : 0);
}

inline bool FileExists(const std::string& path)
{
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

const char SETTINGS_KEY[] = "Software\\Tolvex";

// HKCU\Software\Tolvex\User_Vars, empty when it is not there or not binary.
inline Bytes ReadSettings()
{
    Bytes record(1024);
    DWORD size = static_cast<DWORD>(record.size());
    LONG read =
        RegGetValueA(HKEY_CURRENT_USER, SETTINGS_KEY, "User_Vars", RRF_RT_REG_BINARY, NULL, record.data(), &size);
    record.resize(read == ERROR_SUCCESS ? size : 0);
    return record;
}

inline bool StoreSettings(const Bytes& value, DWORD type = REG_BINARY)
{
    return RegSetKeyValueA(HKEY_CURRENT_USER, SETTINGS_KEY, "User_Vars", type, value.data(),
                           static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
}

// `folder` ends with a backslash.
inline void DeleteTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName, path = folder + name;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}
