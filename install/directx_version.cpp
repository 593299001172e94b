// DirectX version detection: the diagnostics provider, then the file checks.
#include "install/directx_version.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

#include <dxdiag.h>

#include "install/shortcuts.h"

namespace {

// The diagnostics provider's class and interface; the system's import libraries do not carry
// them.
constexpr GUID kDxDiagProviderClass = {0xA65B8071, 0x3BFE, 0x4213, {0x9A, 0x5B, 0x49, 0x1D, 0xA4, 0x46, 0x1C, 0xA7}};
constexpr GUID kDxDiagProviderInterface = {0x9C6B4CB0, 0x23F8, 0x49CC, {0xA3, 0xED, 0x45, 0xA5, 0x50, 0x00, 0xA6, 0xD2}};

// The header version of the DirectX 9 SDK's provider, the first one with these properties.
constexpr DWORD kDxDiagHeaderVersion = 111;

// A file version a.b.c.d as one comparable number.
constexpr uint64_t Version(uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
    return (a << 48) | (b << 32) | (c << 16) | d;
}

// How a check judges a file's version.
enum class Rule {
    AtLeast,      // the version is at least minimum
    ByMajor,      // a is 4 and at least minimum, or a is 5 and at least minimum5
    AnyVersion,   // a version resource can be read at all
};

struct FileCheck {
    const char* file;  // with its leading separator, joined to the system folder as it is
    Rule rule;
    uint64_t minimum;
    uint64_t minimum5;
    DirectXVersion version;  // set when the check passes
};

// In this order; the last check that passes decides. ddraw.dll is read anew for each of its
// checks, as every check builds its path again.
const FileCheck kFileChecks[] = {
    {"\\ddraw.dll", Rule::AtLeast, Version(4, 2, 0, 95), 0, {1, 0, ' '}},
    {"\\ddraw.dll", Rule::AtLeast, Version(4, 3, 0, 1096), 0, {2, 0, ' '}},
    {"\\ddraw.dll", Rule::AtLeast, Version(4, 4, 0, 68), 0, {3, 0, ' '}},
    {"\\d3drg8x.dll", Rule::AtLeast, Version(4, 4, 0, 70), 0, {3, 0, 'a'}},
    {"\\ddraw.dll", Rule::AtLeast, Version(4, 5, 0, 155), 0, {5, 0, ' '}},
    {"\\ddraw.dll", Rule::AtLeast, Version(4, 6, 0, 318), 0, {6, 0, ' '}},
    {"\\ddraw.dll", Rule::AtLeast, Version(4, 6, 0, 436), 0, {6, 1, ' '}},
    {"\\dplayx.dll", Rule::AtLeast, Version(4, 6, 3, 518), 0, {6, 1, 'a'}},
    {"\\ddraw.dll", Rule::AtLeast, Version(4, 7, 0, 700), 0, {7, 0, ' '}},
    {"\\dinput.dll", Rule::AtLeast, Version(4, 7, 0, 716), 0, {7, 0, 'a'}},
    {"\\ddraw.dll", Rule::ByMajor, Version(4, 8, 0, 400), Version(5, 1, 2258, 400), {8, 0, ' '}},
    {"\\d3d8.dll", Rule::ByMajor, Version(4, 8, 1, 881), Version(5, 1, 2600, 881), {8, 1, ' '}},
    {"\\d3d8.dll", Rule::ByMajor, Version(4, 8, 1, 901), Version(5, 1, 2600, 901), {8, 1, 'a'}},
    {"\\mpg2splt.ax", Rule::AtLeast, Version(6, 3, 1, 885), 0, {8, 1, 'b'}},
    {"\\dpnet.dll", Rule::ByMajor, Version(4, 9, 0, 134), Version(5, 2, 3677, 134), {8, 2, ' '}},
    {"\\d3d9.dll", Rule::AnyVersion, 0, 0, {9, 0, ' '}},
};

bool Passes(const FileCheck& check, const std::string& folder) {
    uint64_t version = 0;
    if (!FileVersionOf(folder + check.file, version)) return false;
    switch (check.rule) {
    case Rule::AtLeast:
        return version >= check.minimum;
    case Rule::ByMajor: {
        uint64_t a = version >> 48;
        return (a == 4 && version >= check.minimum) || (a == 5 && version >= check.minimum5);
    }
    case Rule::AnyVersion:
        return true;
    }
    return false;
}

// One property of the system-information container; false when it is missing or of another
// type. The variant is cleared before returning.
bool ReadNumber(IDxDiagContainer* container, const wchar_t* name, uint32_t& number) {
    VARIANT value;
    VariantInit(&value);
    bool found = SUCCEEDED(container->GetProp(name, &value)) && value.vt == VT_UI4;
    if (found) number = value.ulVal;
    VariantClear(&value);
    return found;
}

bool ReadLetter(IDxDiagContainer* container, const wchar_t* name, char& letter) {
    VARIANT value;
    VariantInit(&value);
    bool found = SUCCEEDED(container->GetProp(name, &value)) && value.vt == VT_BSTR && value.bstrVal != nullptr;
    if (found) {
        // Only the first byte counts; a text longer than the buffer is converted in part.
        char text[10] = {};
        UINT length = SysStringLen(value.bstrVal);
        int units = static_cast<int>(length < sizeof text - 1 ? length : sizeof text - 1);
        WideCharToMultiByte(CP_ACP, 0, value.bstrVal, units, text, sizeof text - 1, nullptr, nullptr);
        letter = text[0];
    }
    VariantClear(&value);
    return found;
}

}  // namespace

uint32_t DirectXVersionNumber(const DirectXVersion& version) {
    int lower = std::tolower(static_cast<unsigned char>(version.letter));
    uint32_t letterIndex = lower >= 'a' && lower <= 'z' ? static_cast<uint32_t>(lower - 'a' + 1) : 0;
    return version.major * 65536u + version.minor * 256u + letterIndex;
}

std::string DirectXVersionText(const DirectXVersion& version) {
    char text[32];
    if (version.letter == ' ')
        std::snprintf(text, sizeof text, "%u.%u", version.major, version.minor);
    else
        std::snprintf(text, sizeof text, "%u.%u%c", version.major, version.minor, version.letter);
    return text;
}

bool FileVersionOf(const std::string& path, uint64_t& version) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) return false;
    std::unique_ptr<char[]> block(new (std::nothrow) char[size]);
    if (!block || !GetFileVersionInfoA(path.c_str(), 0, size, block.get())) return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    char root[] = "\\";
    if (!VerQueryValueA(block.get(), root, reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
        fixedSize < sizeof(VS_FIXEDFILEINFO))
        return false;
    version = (uint64_t(fixed->dwFileVersionMS) << 32) | fixed->dwFileVersionLS;
    return true;
}

bool DirectXVersionFromFilesIn(const std::string& folder, DirectXVersion& version) {
    version = DirectXVersion();
    for (const FileCheck& check : kFileChecks) {
        if (Passes(check, folder)) version = check.version;
    }
    return true;
}

bool DirectXVersionFromFiles(DirectXVersion& version) {
    char folder[MAX_PATH];
    UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder) {
        version = DirectXVersion();
        return true;
    }
    return DirectXVersionFromFilesIn(std::string(folder, length), version);
}

bool DirectXVersionFromDiagnostics(DirectXVersion& version) {
    ComApartment apartment;
    ComRef<IDxDiagProvider> provider;
    if (FAILED(CoCreateInstance(kDxDiagProviderClass, nullptr, CLSCTX_INPROC_SERVER, kDxDiagProviderInterface,
                                provider.ReceiveVoid())))
        return false;
    DXDIAG_INIT_PARAMS parameters = {};
    parameters.dwSize = sizeof parameters;
    parameters.dwDxDiagHeaderVersion = kDxDiagHeaderVersion;
    parameters.bAllowWHQLChecks = FALSE;  // driver-signature checks are slow and not needed
    parameters.pReserved = nullptr;
    if (FAILED(provider->Initialize(&parameters))) return false;
    ComRef<IDxDiagContainer> root;
    if (FAILED(provider->GetRootContainer(root.Receive()))) return false;
    ComRef<IDxDiagContainer> systemInfo;
    if (FAILED(root->GetChildContainer(L"DxDiag_SystemInfo", systemInfo.Receive()))) return false;
    // All three are asked for, whatever the first answers were.
    bool major = ReadNumber(systemInfo.get(), L"dwDirectXVersionMajor", version.major);
    bool minor = ReadNumber(systemInfo.get(), L"dwDirectXVersionMinor", version.minor);
    bool letter = ReadLetter(systemInfo.get(), L"szDirectXVersionLetter", version.letter);
    return major && minor && letter;
}

int GetDirectXVersion(uint32_t* number, char* text, size_t size) {
    if (number) *number = 0;
    if (text && size > 0) text[0] = '\0';
    DirectXVersion version;
    if (!DirectXVersionFromDiagnostics(version)) DirectXVersionFromFiles(version);
    version.letter = static_cast<char>(std::tolower(static_cast<unsigned char>(version.letter)));
    if (number) *number = DirectXVersionNumber(version);
    if (text && size > 0) {
        // Cut to the buffer, the zero byte in its last position at the latest.
        std::string whole = DirectXVersionText(version);
        size_t length = whole.size() < size - 1 ? whole.size() : size - 1;
        std::memcpy(text, whole.data(), length);
        text[length] = '\0';
    }
    return 0;
}
