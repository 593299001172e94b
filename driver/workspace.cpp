// Naming and removing the Workspace.
#include "driver/workspace.h"

#include <windows.h>

#include <cstdlib>

#include "config/paths.h"

namespace {

// Longest Workspace name: the cabinet's path (Workspace + "\files.cab") must still fit the
// 255-byte path buffers.
constexpr size_t MaxWorkspaceLength = 255 - 10;
constexpr unsigned MaxWorkspaceNumber = 1000000;

bool IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TemporaryDirectory() {
    char value[1024];
    DWORD length = GetEnvironmentVariableA("TMP", value, sizeof value);
    if (length > 0 && length < sizeof value) {
        std::string tmp(value, length);
        if (IsDirectory(tmp)) return tmp;
        std::string unquoted;
        for (char c : tmp) {
            if (c != '"') unquoted += c;
        }
        if (IsDirectory(unquoted)) return unquoted;
    }
    if (IsDirectory("\\")) return "\\";
    return ".";
}

}  // namespace

bool MakeWorkspaceName(std::string& workspace) {
    std::string base = TemporaryDirectory();
    if (!IsPathSeparator(base.back())) base += '\\';
    base += "zelcfg";
    for (unsigned number = 0; number < MaxWorkspaceNumber; ++number) {
        std::string name = base + std::to_string(number);
        if (name.size() > MaxWorkspaceLength) return false;
        if (!Exists(name)) {
            workspace = name;
            return true;
        }
    }
    return false;
}

bool RemoveTree(const std::string& folder) {
    if (folder.size() < 2) return false;
    std::string prefix = folder;
    if (!IsPathSeparator(prefix.back())) prefix += '\\';
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((prefix + "*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool everyEntryWent = true;
    do {
        std::string name = entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name == "." || name == "..") continue;
            if (!RemoveTree(prefix + name)) everyEntryWent = false;
        } else if (!DeleteFileA((prefix + name).c_str())) {
            everyEntryWent = false;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    if (!everyEntryWent) return false;
    return RemoveDirectoryA(folder.c_str()) != 0;
}
