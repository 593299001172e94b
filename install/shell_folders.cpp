// Shell folder variables from the registry's "Shell Folders" keys.
#include "install/shell_folders.h"

#include <windows.h>

#include "driver/installer_state.h"
#include "install/registry.h"

namespace {

// One variable and the registry value it is copied from.
struct FolderValue {
    const char* variable;
    const char* valueName;
};

constexpr FolderValue kUserFolders[] = {
    {"Desktop", "Desktop"},    {"Favorites", "Favorites"},    {"ProgramGroup", "Programs"},
    {"SendTo", "SendTo"},      {"StartMenu", "Start Menu"},
};

constexpr FolderValue kMachineFolders[] = {
    {"CommonDesktop", "Common Desktop"},
    {"CommonFavorites", "Common Favorites"},
    {"CommonProgramGroup", "Common Programs"},
};

// A path of 255 bytes and its terminating zero: the size of the installer's path buffers.
constexpr DWORD kValueBufferSize = 256;

template <size_t Count>
void CopyFolders(HKEY root, const std::string& keyPath, const FolderValue (&folders)[Count]) {
    RegistryKey key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return;
    for (const FolderValue& folder : folders) {
        char data[kValueBufferSize];
        DWORD size = kValueBufferSize;  // set anew: each query overwrites it
        if (RegQueryValueExA(key.get(), folder.valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS)
            continue;
        // The text up to its first zero byte or the end of the data; the value's type is not
        // looked at.
        std::string text(data, size);
        Defines().Set(folder.variable, text.substr(0, text.find('\0')));
    }
}

}  // namespace

void LoadShellFoldersFrom(const std::string& userKeyPath, const std::string& machineKeyPath) {
    Defines().Set("InstallName", "This Program");
    CopyFolders(HKEY_CURRENT_USER, userKeyPath, kUserFolders);
    CopyFolders(HKEY_LOCAL_MACHINE, machineKeyPath, kMachineFolders);
}

void LoadShellFolders() {
    LoadShellFoldersFrom("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                         "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
}
