// The registry step. Log lines for a value are written before its key is examined, so the
// uninstaller also learns of a value whose writing failed; on failure the log stops inside the
// registry group, without its closing line.
#include "install/registry.h"

#include "config/config_document.h"
#include "config/paths.h"
#include "driver/installer_state.h"
#include "driver/messages.h"
#include "install/install_log.h"

namespace {

constexpr size_t kRootPrefixLength = 5;  // "HKLM\" and "HKCU\"

enum RegValueType { TypeText = 0, TypeDword = 1, TypeBinary = 2 };

// Creates or opens path below root as every key of this step is made: class "Key", kept across
// restarts, full access.
bool CreateKey(HKEY root, const std::string& path, RegistryKey& key) {
    char keyClass[] = "Key";
    return RegCreateKeyExA(root, path.c_str(), 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                           key.Receive(), nullptr) == ERROR_SUCCESS;
}

// REG_SZ: the text and its terminating zero byte. Whether the write succeeded is not examined:
// a value that cannot be written does not stop the install.
void SetText(HKEY key, const std::string& name, const std::string& text) {
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Writes one value of install.xml into the open key; false for an unknown type.
bool SetValue(HKEY key, int32_t typeNum, const std::string& name, const std::string& data) {
    switch (typeNum) {
    case TypeText:
        SetText(key, name, data);
        return true;
    case TypeDword: {
        uint32_t number = RegistryDwordOf(data);
        BYTE bytes[4] = {BYTE(number), BYTE(number >> 8), BYTE(number >> 16), BYTE(number >> 24)};
        RegSetValueExA(key, name.c_str(), 0, REG_DWORD, bytes, sizeof bytes);
        return true;
    }
    case TypeBinary: {
        BinaryData binary = RegistryBinaryOf(data);
        for (int i = 0; i < binary.malformedPairs; ++i) FatalMessage("Binary formatting error in registry value");
        static const BYTE kNoBytes = 0;  // a valid pointer for an empty value
        const BYTE* bytes = binary.bytes.empty() ? &kNoBytes : binary.bytes.data();
        RegSetValueExA(key, name.c_str(), 0, REG_BINARY, bytes, static_cast<DWORD>(binary.bytes.size()));
        return true;
    }
    default:
        return false;
    }
}

bool WriteValue(const RegValue& value) {
    const DefineTable& defines = Defines();
    std::string keyText = defines.Expand(value.Key);
    std::string name = defines.Expand(value.Name);
    std::string data = defines.Expand(value.Value);

    WriteLogLine(LogLine::RegValueBegin);
    WriteLogLine(LogLine::RegKey, keyText);
    WriteLogLine(LogLine::RegName, name);
    WriteLogLine(LogLine::RegValueEnd);

    HKEY root = nullptr;
    if (!RegistryRootOf(keyText, root)) {
        FatalMessage("Invalid Key '" + keyText + "'");
        return false;
    }
    RegistryKey key;
    if (!CreateKey(root, keyText.substr(kRootPrefixLength), key)) {
        FatalMessage("Failed to Create Key '" + keyText + "'");
        return false;
    }
    if (!SetValue(key.get(), value.TypeNum, name, data)) {
        // The key just created stays, without the value.
        FatalMessage("Invalid Key Type on '" + name + "'");
        return false;
    }
    return true;
}

// The Add/Remove Programs entry. A key that cannot be created is passed over in silence: the
// game is installed, only its entry in the list is missing.
void WriteUninstallEntry(const std::string& keyPath, const std::string& installName) {
    RegistryKey key;
    if (!CreateKey(HKEY_LOCAL_MACHINE, keyPath, key)) return;
    SetText(key.get(), "DisplayName", installName);
    SetText(key.get(), "UninstallString", Defines().Expand(Config().UninstallCmd));
}

}  // namespace

std::string UninstallKeyPath(const std::string& installName) {
    return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + installName;
}

bool RegistryRootOf(const std::string& keyText, HKEY& root) {
    if (keyText.compare(0, kRootPrefixLength, "HKLM\\") == 0) {
        root = HKEY_LOCAL_MACHINE;
        return true;
    }
    if (keyText.compare(0, kRootPrefixLength, "HKCU\\") == 0) {
        root = HKEY_CURRENT_USER;
        return true;
    }
    return false;
}

uint32_t RegistryDwordOf(const std::string& text) { return static_cast<uint32_t>(ReadDecimal(text)); }

BinaryData RegistryBinaryOf(const std::string& text) {
    BinaryData data;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        std::string pair = UpperCase(text.substr(i, 2));
        int high = HexDigitValue(pair[0]);
        int low = pair.size() == 2 ? HexDigitValue(pair[1]) : -1;
        if (high >= 0 && low >= 0) {
            data.bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        } else {
            ++data.malformedPairs;
        }
        i += 2;
    }
    return data;
}

bool WriteRegistry() {
    WriteLogLine(LogLine::RegistryBegin);
    for (const RegValue& value : Config().Registry) {
        if (!WriteValue(value)) return false;
    }
    std::string installName = Defines().Expand(Defines().Lookup("InstallName"));
    std::string keyPath = UninstallKeyPath(installName);
    WriteUninstallEntry(keyPath, installName);
    WriteLogLine(LogLine::RegistryEnd);
    WriteLogLine(LogLine::UninstallKey, keyPath);
    return true;
}
