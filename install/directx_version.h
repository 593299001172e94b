// Which DirectX is installed: asked of the system's DirectX diagnostics provider first, else
// inferred from the file versions of a fixed series of system libraries. The start-up refuses to
// go on below 3.0.
//
// A version is major.minor with an optional letter (8.1b). As one number that orders versions:
//   major * 65536 + minor * 256 + letter index (1 for 'a' ... 26 for 'z', 0 for none)
// so 3.0 is 0x00030000 and 8.1b is 0x00080102. As text: "%d.%d", then the letter if any.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The version's three parts; letter is a space when the version has none.
struct DirectXVersion {
    uint32_t major = 0;
    uint32_t minor = 0;
    char letter = ' ';
};

// The number of the version above (0 for 0.0, the version of a machine without DirectX).
uint32_t DirectXVersionNumber(const DirectXVersion& version);

// The text of the version: "9.0", "8.1b" (the letter as it is held).
std::string DirectXVersionText(const DirectXVersion& version);

// The installed version. number (may be null) receives its number; a text buffer of positive
// size receives its text, cut to the buffer and always zero-terminated within it. Returns 0,
// the only result: the file checks always give an answer.
int GetDirectXVersion(uint32_t* number, char* text, size_t size);

// The version the diagnostics provider reports; false unless it gave all three of major, minor
// and letter (what was stored is then to be overwritten).
bool DirectXVersionFromDiagnostics(DirectXVersion& version);

// The version the system folder's libraries imply: the last of the sixteen checks that passes
// decides, 0.0 when none does. Always succeeds.
bool DirectXVersionFromFiles(DirectXVersion& version);

// The same checks on the libraries of the given folder (without a trailing separator).
bool DirectXVersionFromFilesIn(const std::string& folder, DirectXVersion& version);

// The file version of a file's version resource, a.b.c.d as (a << 48) | (b << 32) | (c << 16) | d;
// false for a missing file or one without a version resource.
bool FileVersionOf(const std::string& path, uint64_t& version);
