// The page sequence of the installer, from the Prepare page to the Launch page, with the loading
// of the configuration after the Prepare page, the DirectX gate and the disk-space gate, and the
// end of the run.
#pragma once

#include <cstdint>
#include <string>

// The address opened from the DirectX message.
extern const char* const DirectXPage;

// Version 3.0 in the encoding of GetDirectXVersion: the oldest DirectX the games need.
constexpr uint32_t RequiredDirectXVersion = 0x00030000;

// Runs the pages until the loop is left, then the end-of-run steps; returns the exit code. The
// DirectX gate may instead end the process at once with exit code 2.
int RunWizard();

// Bytes available to the user on the drive of root ("C:\"); all 64 bits set when the drive
// cannot be asked.
uint64_t DiskFree(const std::string& root);
