// Round trips through an independent cabinet writer: data generated here is packed with gcab
// (MSZIP with -z, stored without), decoded by this decoder, and must come back byte for byte.
// The data sets aim at what breaks decoders: sizes at and around the 32768-byte block size,
// empty entries, incompressible bytes (stored deflate blocks), long runs (matches at the
// largest distance and length), and text (dynamic Huffman blocks with many short matches).
// Skipped where gcab cannot run (no gcab on the machine, or the Windows build under Wine).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/cab/memory_client.h"

namespace cabtest {
namespace {

using Bytes = std::vector<uint8_t>;
using Entry = std::pair<std::string, Bytes>;

bool HaveGcab() {
#ifdef _WIN32
    return false;
#else
    return std::system("gcab --version >/dev/null 2>&1") == 0;
#endif
}

Bytes RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

Bytes Repeating(size_t size, const std::string& pattern) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(pattern[i % pattern.size()]);
    return bytes;
}

// Words drawn with a skewed distribution: compressible, with matches at every distance.
Bytes Text(size_t size, uint32_t seed) {
    static const char* words[] = {"cabinet", "folder", "block", "the", "of", "deflate", "match",
                                  "window", "history", "a", "Huffman", "length", "distance", "\n"};
    std::mt19937 random(seed);
    std::geometric_distribution<int> pick(0.25);
    Bytes bytes;
    while (bytes.size() < size) {
        const std::string word = words[pick(random) % 14];
        bytes.insert(bytes.end(), word.begin(), word.end());
        bytes.push_back(' ');
    }
    bytes.resize(size);
    return bytes;
}

// Mixed pieces: text, then random, then runs, so blocks switch between deflate block types.
Bytes Mixed(size_t size, uint32_t seed) {
    Bytes bytes;
    uint32_t round = 0;
    while (bytes.size() < size) {
        const Bytes piece = round % 3 == 0   ? Text(20000 + round * 977, seed + round)
                            : round % 3 == 1 ? RandomBytes(5000 + round * 31, seed + round)
                                             : Repeating(9000 + round * 7, "xyz");
        bytes.insert(bytes.end(), piece.begin(), piece.end());
        ++round;
    }
    bytes.resize(size);
    return bytes;
}

class GcabRoundTrip : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (!HaveGcab()) GTEST_SKIP() << "gcab is not available";
#ifndef _WIN32
        char pattern[] = "/tmp/cab-roundtrip-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
#endif
        ResetDisk();
        ResetSession();
    }
    void TearDown() override {
        if (!dir_.empty()) std::system(("rm -rf '" + dir_ + "'").c_str());
    }

    // Writes the entries as files, packs them with gcab, decodes the cabinet and compares.
    void RoundTrip(const std::vector<Entry>& entries) {
        std::string list;
        for (const Entry& e : entries) {
            std::ofstream out(dir_ + "/" + e.first, std::ios::binary);
            out.write(reinterpret_cast<const char*>(e.second.data()), static_cast<std::streamsize>(e.second.size()));
            list += " '" + e.first + "'";
        }
        const bool compress = GetParam();
        const std::string command = "cd '" + dir_ + "' && gcab -c" + (compress ? " -z" : "") +
                                    " test.cab" + list + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        ASSERT_TRUE(PutRealFile(dir_ + "/test.cab", "test.cab"));

        const CopyResult r = CopyOne("test.cab");
        ASSERT_EQ(r.result, 1) << cab::ErrorName(r.error.code);
        ASSERT_EQ(r.session.entries.size(), entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(r.session.entries[i].name, entries[i].first);
            EXPECT_TRUE(r.session.entries[i].data == entries[i].second)
                << entries[i].first << ": " << r.session.entries[i].data.size() << " bytes decoded, "
                << entries[i].second.size() << " expected";
        }
    }

    std::string dir_;
};

TEST_P(GcabRoundTrip, SizesAroundTheBlockSize) {
    std::vector<Entry> entries;
    const size_t sizes[] = {1, 32767, 32768, 32769, 65535, 65536, 65537, 98304, 98305};
    uint32_t seed = 1;
    for (size_t size : sizes) {
        entries.push_back({"text" + std::to_string(size), Text(size, seed++)});
        entries.push_back({"random" + std::to_string(size), RandomBytes(size, seed++)});
    }
    RoundTrip(entries);
}

TEST_P(GcabRoundTrip, EmptyEntriesBetweenOthers) {
    RoundTrip({{"empty1", {}}, {"a", Text(40000, 7)}, {"empty2", {}}, {"empty3", {}},
               {"b", RandomBytes(100, 8)}, {"empty4", {}}});
}

TEST_P(GcabRoundTrip, IncompressibleData) { RoundTrip({{"noise", RandomBytes(300000, 42)}}); }

TEST_P(GcabRoundTrip, HighlyRepetitiveData) {
    RoundTrip({{"zeros", Bytes(400000, 0)},
               {"period1", Repeating(100000, "a")},
               {"period3", Repeating(100001, "abc")},
               {"period7", Repeating(70000, "abcdefg")},
               {"period40000", Repeating(200000, std::string(reinterpret_cast<const char*>(RandomBytes(40000, 5).data()), 40000))}});
}

TEST_P(GcabRoundTrip, ManyFiles) {
    std::vector<Entry> entries;
    for (int i = 0; i < 300; ++i) {
        const size_t size = static_cast<size_t>((i * 7919) % 5000);
        entries.push_back({"file" + std::to_string(i), i % 4 == 0 ? RandomBytes(size, i) : Text(size, i)});
    }
    RoundTrip(entries);
}

TEST_P(GcabRoundTrip, MixedData) { RoundTrip({{"mixed", Mixed(1500000, 9)}, {"tail", Text(12345, 10)}}); }

INSTANTIATE_TEST_SUITE_P(Methods, GcabRoundTrip, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Mszip") : std::string("Stored");
                         });

}  // namespace
}  // namespace cabtest
