// The shell folder variables: the first step of the installer's start-up gives InstallName its
// default and copies the user's and the machine's shell folder locations from the registry into
// the DefineTable, where configuration texts name them as %Desktop%, %ProgramGroup%,
// %CommonDesktop% and so on. The documents loaded later may redefine every one of them.
#pragma once

#include <string>

// Sets InstallName to "This Program", then Desktop, Favorites, ProgramGroup, SendTo and
// StartMenu from the user's Shell Folders key and CommonDesktop, CommonFavorites and
// CommonProgramGroup from the machine's. A key or value that cannot be read, or a value longer
// than 255 bytes plus its terminator, leaves its variables unset; nothing is reported.
void LoadShellFolders();

// The same with the two keys' paths given (below HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE), so
// that tests can offer values of their own without touching the real shell folders.
void LoadShellFoldersFrom(const std::string& userKeyPath, const std::string& machineKeyPath);
