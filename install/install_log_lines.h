// The lines of the install log, as text. A separate uninstaller reads this file, so every byte
// of these lines is part of an external format: the tabs at the start, the tags, the fixed
// "HKLM\" prefix and shortcut suffixes (not encoded) and the encoded values between the tags.
// The line end (CR LF) is added by the stream that writes them.
#pragma once

#include <string>

enum class LogLine {
    Begin,               // <InstallLog>
    InstallName,         // \t<InstallName>name</InstallName>
    UninstallDeltree,    // \t<UninstallDeltree>entry</UninstallDeltree>
    UserDirectory,       // \t<UserDirectory>entry</UserDirectory>
    UninstallDelRegKey,  // \t<UninstallDelRegKey>entry</UninstallDelRegKey>
    UserRegKey,          // \t<UserRegKey>entry</UserRegKey>
    File,                // \t<File>path</File>
    RegistryBegin,       // \t<Registry>
    RegValueBegin,       // \t\t<RegValue>
    RegKey,              // \t\t\t<Key>key</Key>
    RegName,             // \t\t\t<Name>name</Name>
    RegValueEnd,         // \t\t</RegValue>
    RegistryEnd,         // \t</Registry>
    UninstallKey,        // \t<UninstallDelRegKey>HKLM\path</UninstallDelRegKey>
    ShortcutLink,        // \t<File>dest.lnk</File>
    ShortcutUrl,         // \t<File>dest.url</File>
    End,                 // </InstallLog>
};

// The text of one line, without its line end; value is encoded with EncodeEntities. Lines
// without a value ignore it.
std::string FormatLogLine(LogLine kind, const std::string& value = std::string());
