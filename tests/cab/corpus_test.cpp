// The shared corpus of peer cabinets: every cabinet ends as this table says, with the entries a
// peer decoded (peer-cabs.md5) where the cabinet is good, and with one specific error where it is
// not. Under ASan and UBSan the same run shows that no damaged cabinet reads outside a buffer.
//
// Where this decoder's rules and the peers' verdicts differ, the row says why.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cab/codec.h"
#include "tests/cab/memory_client.h"
#include "tools/cabx/md5.h"

namespace cabtest {
namespace {

const std::string CorpusDir = std::string(CORPUS_DIR) + "/peer-cabs";

// Digests of each cabinet's entries as the peer listed them, in order.
std::map<std::string, std::vector<std::string>> PeerDigests() {
    std::map<std::string, std::vector<std::string>> digests;
    std::ifstream in(std::string(CORPUS_DIR) + "/peer-cabs.md5");
    std::string line;
    while (std::getline(in, line)) {
        const size_t first = line.find('\t');
        const size_t last = line.rfind('\t');
        if (first == std::string::npos || first == last) continue;
        digests[line.substr(0, first)].push_back(line.substr(last + 1));
    }
    return digests;
}

std::vector<std::string> CabinetNames() {
    std::vector<std::string> names;
    std::ifstream in(std::string(CORPUS_DIR) + "/peer-cabs.tsv");
    std::string line;
    std::getline(in, line);  // column titles
    while (std::getline(in, line)) names.push_back(line.substr(0, line.find('\t')));
    return names;
}

constexpr const char* EmptyDigest = "d41d8cd98f00b204e9800998ecf8427e";

struct Expectation {
    const char* cabinet;
    int32_t error;            // ErrorNone: the set decodes
    int peerFrom;             // the entries are the peer's list from this index on; -1: see below
    int emptyEntries;         // with peerFrom -1: this many empty entries (peer listed none)
    const char* why;
    // A typeCompress whose codec the row depends on (0: none). Without that codec the cabinet
    // fails with DecompressFailed after the entries before it; with it, `error` is
    // AnyCleanEnd (hostile data: any result, as long as it ends cleanly) or as given.
    uint16_t needs = 0;
};

constexpr int32_t AnyCleanEnd = -1;
constexpr uint16_t Lzx21 = 0x1503, Lzx16 = 0x1003, Quantum = 0x0F02;

// Whether this build decodes the method (LZX and Quantum arrive after MSZIP).
bool CodecPresent(uint16_t typeCompress) {
    const cab::Codec* codec = cab::FindCodec(typeCompress & 0xF);
    cab::CodecConfig config;
    config.windowBits = (typeCompress >> 8) & 0x1F;
    uint32_t blockSize = 32768, inputSize = 0;
    return codec != nullptr &&
           codec->create(&blockSize, config, nullptr, nullptr, &inputSize, nullptr) == cab::CodecOk;
}

// clang-format off
const Expectation Table[] = {
    // Good cabinets: the peer's entries, all of them.
    {"case-ascii.cab", cab::ErrorNone, 0, 0, ""},
    {"case-utf8.cab", cab::ErrorNone, 0, 0, ""},
    {"dir.cab", cab::ErrorNone, 0, 0, ""},
    {"dirwalk-vulns.cab", cab::ErrorNone, 0, 0, "hostile names are the extracting client's concern"},
    {"hidden-files.cab", cab::ErrorNone, 0, 0, ""},
    {"normal_255c_filename.cab", cab::ErrorNone, 0, 0, ""},
    {"normal_2files_1folder.cab", cab::ErrorNone, 0, 0, ""},
    {"reserve_---.cab", cab::ErrorNone, 0, 0, ""},
    {"reserve_--D.cab", cab::ErrorNone, 0, 0, "7-Zip refuses the reserves; they are valid"},
    {"reserve_-F-.cab", cab::ErrorNone, 0, 0, "7-Zip refuses the reserves; they are valid"},
    {"reserve_-FD.cab", cab::ErrorNone, 0, 0, "7-Zip refuses the reserves; they are valid"},
    {"reserve_H--.cab", cab::ErrorNone, 0, 0, "7-Zip refuses the reserves; they are valid"},
    {"reserve_H-D.cab", cab::ErrorNone, 0, 0, "7-Zip refuses the reserves; they are valid"},
    {"reserve_HF-.cab", cab::ErrorNone, 0, 0, "7-Zip refuses the reserves; they are valid"},
    {"reserve_HFD.cab", cab::ErrorNone, 0, 0, "7-Zip refuses the reserves; they are valid"},
    {"utf8-stresstest.cab", cab::ErrorNone, 0, 0, ""},
    {"split-1.cab", cab::ErrorNone, 0, 0, "the whole set, read from its first cabinet"},
    // A set read from a later cabinet gives the entries that begin there; the peer also went
    // back to the earlier cabinets.
    {"split-2.cab", cab::ErrorNone, 3, 0, "entries continued from split-1 are not offered"},
    {"split-3.cab", cab::ErrorNone, 4, 0, "entries continued from split-2 are not offered"},
    {"split-4.cab", cab::ErrorNone, 4, 0, "entries continued from split-3 are not offered"},
    {"split-5.cab", cab::ErrorNone, 6, 0, "every entry is continued from split-4"},
    // Cabinets the peer passed without listing digests (names it could not print): empty files.
    {"encoding-koi8.cab", cab::ErrorNone, -1, 3, ""},
    {"encoding-latin1.cab", cab::ErrorNone, -1, 3, ""},
    {"encoding-sjis.cab", cab::ErrorNone, -1, 6, ""},
    // Entries whose folder index is out of range are passed over without a word; the peers
    // reject the cabinet.
    {"bad_folderindex.cab", cab::ErrorNone, -1, -1, "second entry's folder out of range: passed over"},
    {"hidden-file-bad-folderid.cab", cab::ErrorNone, -1, 0, "only entry's folder out of range"},
    {"bad_nofolders.cab", cab::ErrorNone, -1, 0, "no folders: every entry passed over"},
    {"bad_nofiles.cab", cab::ErrorNone, -1, 0, "cFiles 0 is a valid, empty cabinet"},
    {"filename-read-violation-1.cab", cab::ErrorNone, -1, -1, "an empty name is read as one"},
    // LZX and Quantum folders: decoded where this build has their codecs.
    {"mszip_lzx_qtm.cab", cab::ErrorNone, 0, 0, "", Lzx16},
    {"normal_2files_2folders.cab", cab::ErrorNone, 0, 0, "", Lzx16},
    {"large-files-cab.cab", cab::ErrorNone, 0, 0, "", Lzx21},
    // The peers disagree on this one (cabextract passes it, 7-Zip does not); the Quantum
    // decoder's own rules decide, so only a clean end is asked here.
    {"cve-2010-2801-qtm-flush.cab", AnyCleanEnd, 0, 0, "", Quantum},
    // Several cabinets in one file: only the one at its start is read, and these files do not
    // start with one.
    {"search.cab", cab::NotACabinet, -1, 0, "the peer searches inside files for cabinets"},
    {"search_basic.cab", cab::NotACabinet, -1, 0, "the peer searches inside files for cabinets"},
    {"search_tricky1.cab", cab::UnknownVersion, -1, 0, "the peer searches inside files for cabinets"},
    // A folder of method 15: BadCompressionType stops the Copy at entry "2"; the peer went on.
    {"cve-2014-9732-folders-segfault.cab", cab::BadCompressionType, 0, 0, ""},
    // Damaged and hostile cabinets.
    {"bad_signature.cab", cab::NotACabinet, -1, 0, ""},
    {"cve-2010-2800-mszip-infinite-loop.cab", cab::DecompressFailed, -1, 0, ""},
    {"cve-2014-9556-qtm-infinite-loop.cab", AnyCleanEnd, -1, 0, "", Quantum},
    {"cve-2015-4470-mszip-over-read.cab", cab::UnknownVersion, -1, 0, ""},
    {"cve-2015-4471-lzx-under-read.cab", cab::CorruptCabinet, -1, 0, ""},
    {"cve-2017-11423-fname-overread.cab", cab::CorruptCabinet, -1, 0, ""},
    {"cve-2018-18584-qtm-max-size-block.cab", AnyCleanEnd, -1, 0, "", Quantum},
    {"filename-read-violation-2.cab", cab::CorruptCabinet, -1, 0, ""},
    {"filename-read-violation-3.cab", cab::CorruptCabinet, -1, 0, ""},
    {"filename-read-violation-4.cab", cab::CorruptCabinet, -1, 0, ""},
    {"hidden-file-beyond-eof.cab", cab::CorruptCabinet, -1, 0, ""},
    {"lzx-main-tree-no-lengths.cab", AnyCleanEnd, -1, 0, "", Lzx16},
    {"lzx-premature-matches.cab", AnyCleanEnd, -1, 0, "", Lzx16},
    {"partial_nodata.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_nofiles.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_nofolder.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_shortextheader.cab", cab::NotACabinet, -1, 0, ""},
    {"partial_shortfile1.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_shortfile2.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_shortfolder.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_shortheader.cab", cab::NotACabinet, -1, 0, ""},
    {"partial_str_nofname.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_str_noninfo.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_str_nonname.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_str_nopinfo.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_str_nopname.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_str_shortfname.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_str_shortninfo.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_str_shortnname.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_str_shortpinfo.cab", cab::CorruptCabinet, -1, 0, ""},
    {"partial_str_shortpname.cab", cab::CorruptCabinet, -1, 0, ""},
};
// clang-format on

class PeerCorpus : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDisk();
        ResetSession();
        for (const std::string& name : CabinetNames()) {
            ASSERT_TRUE(PutRealFile(CorpusDir + "/" + name, name)) << name;
            // The multi_basic cabinets name each other with a "cabd_" prefix their files lack.
            if (name.rfind("multi_basic", 0) == 0) PutRealFile(CorpusDir + "/" + name, "cabd_" + name);
        }
    }
};

std::vector<std::string> Digests(const Session& session) {
    std::vector<std::string> digests;
    for (const ExtractedEntry& e : session.entries) digests.push_back(Md5Hex(e.data.data(), e.data.size()));
    return digests;
}

TEST_F(PeerCorpus, EveryCabinetEndsAsExpected) {
    const auto peer = PeerDigests();
    std::map<std::string, bool> covered;
    for (const Expectation& row : Table) {
        SCOPED_TRACE(row.cabinet);
        covered[row.cabinet] = true;
        ResetSession();
        const CopyResult r = CopySet(row.cabinet);
        EXPECT_EQ(r.session.openHandles, 0) << "a handle was left open";
        int32_t error = row.error;
        if (row.needs != 0 && !CodecPresent(row.needs)) error = cab::DecompressFailed;
        if (error == AnyCleanEnd) continue;
        EXPECT_EQ(r.result, error == cab::ErrorNone ? 1 : 0);
        if (error != cab::ErrorNone) {
            EXPECT_EQ(r.error.code, error) << cab::ErrorName(r.error.code);
        }

        const std::vector<std::string> ours = Digests(r.session);
        if (row.peerFrom >= 0) {
            const auto it = peer.find(row.cabinet);
            ASSERT_NE(it, peer.end());
            std::vector<std::string> expected(it->second.begin() + row.peerFrom, it->second.end());
            if (error != cab::ErrorNone) {
                // Failed part way: what was written before the failure matches the peer.
                ASSERT_LE(ours.size(), expected.size());
                expected.resize(ours.size());
            }
            EXPECT_EQ(ours, expected);
        } else if (row.emptyEntries >= 0) {
            EXPECT_EQ(ours, std::vector<std::string>(static_cast<size_t>(row.emptyEntries), EmptyDigest));
        }
    }
    for (const std::string& name : CabinetNames()) {
        if (name.rfind("multi_basic", 0) != 0) {
            EXPECT_TRUE(covered[name]) << name << " has no row";
        }
    }
}

TEST_F(PeerCorpus, PassedOverEntriesOfOutOfRangeFolders) {
    // bad_folderindex.cab: hello.c decodes, welcome.c (folder 1 of 1) gets no notification.
    const CopyResult r = CopySet("bad_folderindex.cab");
    ASSERT_EQ(r.result, 1);
    ASSERT_EQ(r.session.entries.size(), 1u);
    EXPECT_EQ(r.session.entries[0].name, "hello.c");
    EXPECT_EQ(Md5Hex(r.session.entries[0].data.data(), r.session.entries[0].data.size()),
              "c2535936b8908b1f8a28b7724a2c2045");
}

// multi_basic: one 190-byte stored block spread over five cabinets in 38-byte pieces, each
// cabinet's text "This is the data from cabinet part N.\n"; test1.txt is parts 1-2, test2.txt
// part 3, test3.txt parts 4-5. Read from the first cabinet, every entry decodes across the set.
TEST_F(PeerCorpus, BlockSpreadOverFiveCabinetsJoinsItsPieces) {
    std::string all;
    for (int part = 1; part <= 5; ++part) all += "This is the data from cabinet part " + std::to_string(part) + ".\n";
    const CopyResult r = CopySet("multi_basic_pt1.cab");
    ASSERT_EQ(r.result, 1) << cab::ErrorName(r.error.code);
    ASSERT_EQ(r.session.entries.size(), 3u);
    const std::string expected[3] = {all.substr(0, 76), all.substr(76, 38), all.substr(114, 76)};
    for (int i = 0; i < 3; ++i) {
        const auto& data = r.session.entries[i].data;
        EXPECT_EQ(std::string(data.begin(), data.end()), expected[i]) << i;
    }
    // Read from a later cabinet every entry is a continuation: nothing to extract, no failure.
    for (int part = 2; part <= 5; ++part) {
        ResetSession();
        const CopyResult later = CopySet("multi_basic_pt" + std::to_string(part) + ".cab");
        EXPECT_EQ(later.result, 1) << part;
        EXPECT_TRUE(later.session.entries.empty()) << part;
    }
}

TEST_F(PeerCorpus, SplitSetSendsNextCabinetForEachCrossing) {
    const CopyResult r = CopySet("split-1.cab");
    ASSERT_EQ(r.result, 1);
    std::vector<std::string> asked;
    for (const Event& e : r.session.events) {
        if (e.kind == cab::NextCabinet) asked.push_back(e.str1);
    }
    // small2 crosses 1->2, medium2 2->3->4, small3 4->5.
    EXPECT_EQ(asked, (std::vector<std::string>{"Split-2.CAB", "Split-3.CAB", "Split-4.CAB", "Split-5.CAB"}));
}

}  // namespace
}  // namespace cabtest
