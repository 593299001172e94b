// GetDirectXVersion with Wine's diagnostics provider: whatever version it reports, the number and
// the text must tell the same one; and the text buffer's limits.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "install/directx_version.h"

namespace {

// Without an answer from the provider, the system folder's files decide.
TEST(GetDirectXVersion, NumberAndTextAgreeWithTheSource) {
    DirectXVersion reported;
    bool provider = DirectXVersionFromDiagnostics(reported);
    if (provider) {
        std::printf("provider: major %u, minor %u, letter '%c' (0x%02X)\n", reported.major, reported.minor,
                    reported.letter, static_cast<unsigned char>(reported.letter));
    } else {
        std::printf("provider: no answer; the system folder's files decide\n");
        DirectXVersionFromFiles(reported);
    }
    uint32_t number = 0xDEADBEEF;
    char text[32];
    EXPECT_EQ(GetDirectXVersion(&number, text, sizeof text), 0);
    std::printf("GetDirectXVersion: %s, 0x%08X\n", text, number);
    reported.letter = static_cast<char>(tolower(static_cast<unsigned char>(reported.letter)));
    EXPECT_EQ(number, DirectXVersionNumber(reported));
    EXPECT_EQ(std::string(text), DirectXVersionText(reported));
    EXPECT_EQ(number >> 16, reported.major);
    EXPECT_EQ((number >> 8) & 0xFF, reported.minor);
}

TEST(GetDirectXVersion, TextIsCutToTheBufferAndTerminated) {
    char whole[32];
    ASSERT_EQ(GetDirectXVersion(nullptr, whole, sizeof whole), 0);
    std::string full = whole;
    ASSERT_GE(full.size(), 3u);
    for (size_t size = 0; size <= full.size() + 1; ++size) {
        SCOPED_TRACE(size);
        char buffer[40];
        std::memset(buffer, 'X', sizeof buffer);
        EXPECT_EQ(GetDirectXVersion(nullptr, buffer, size), 0);
        if (size == 0) {
            EXPECT_EQ(buffer[0], 'X');  // nothing is written to a buffer of no size
            continue;
        }
        EXPECT_EQ(std::string(buffer), full.substr(0, size - 1));
        EXPECT_EQ(buffer[size], 'X');  // nothing beyond the buffer
    }
    EXPECT_EQ(GetDirectXVersion(nullptr, nullptr, 10), 0);
}

}  // namespace
