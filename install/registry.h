// The registry step of the install: every RegValue of install.xml written under HKLM or HKCU,
// then the Add/Remove Programs entry under the machine's Uninstall key, each touched key and value
// recorded in the install log so that the uninstaller can remove them.
//
// The texts of install.xml become registry data by TypeNum:
//   0  REG_SZ     the expanded text and its terminating zero byte
//   1  REG_DWORD  the text read as a decimal number (atol-like, held to 32 bits), little-endian
//   2  REG_BINARY hexadecimal pairs such as "01 FF 7e"; spaces only between pairs
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Writes the Registry section and the uninstall entry. False after a fatal error box (an
// invalid root, a key that cannot be created, an unknown TypeNum); a malformed binary pair shows
// its box but the step goes on and returns true.
bool WriteRegistry();

// The Uninstall key path (below HKEY_LOCAL_MACHINE) for an install name.
std::string UninstallKeyPath(const std::string& installName);

// The root named by the first five bytes of a key text, "HKLM\" or "HKCU\" exactly
// (case-sensitive); false for any other text.
bool RegistryRootOf(const std::string& keyText, HKEY& root);

// The REG_DWORD data of a text: the C library's decimal reading held to 32 bits. A number
// beyond the signed 32-bit range saturates (4294967296 gives 0x7FFFFFFF, -2147483649 gives
// 0x80000000), as a 32-bit long's conversion does; -1 gives 0xFFFFFFFF.
uint32_t RegistryDwordOf(const std::string& text);

// The REG_BINARY data of a hexadecimal text. Pairs are read from the start, two bytes at a time,
// skipping single spaces between them; each pair that is not two hexadecimal digits (either
// case) contributes nothing and counts in malformedPairs.
struct BinaryData {
    std::vector<uint8_t> bytes;
    int malformedPairs = 0;
};
BinaryData RegistryBinaryOf(const std::string& text);

// An open registry key, closed when it goes out of scope.
class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    HKEY* Receive() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};
