// The Quantum cabinets of the shared peer corpus, read by the project's decoder: the good one
// decodes to the digest the peer listed, the damaged and hostile ones end with DecompressFailed
// (and no handle left open; under ASan and UBSan, no access outside a buffer).
//
//   mszip_lzx_qtm.cab                      one entry per method; qtm.txt is a window-18 folder
//                                          made by another encoder
//   cve-2010-2801-qtm-flush.cab            the last frame's final match runs past the frame;
//                                          cabextract passes it, 7-Zip and this decoder do not
//   cve-2014-9556-qtm-infinite-loop.cab    a frame whose data runs out; an entry claiming 4 GB
//   cve-2018-18584-qtm-max-size-block.cab  a block filling the whole compressed-data buffer
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/cab/memory_client.h"
#include "tools/cabx/md5.h"

namespace {

const std::string CorpusDir = std::string(CORPUS_DIR) + "/peer-cabs/";

cabtest::CopyResult CopyCorpusCabinet(const std::string& name, cabtest::NotifyPolicy policy = nullptr) {
    cabtest::ResetDisk();
    cabtest::ResetSession();
    cabtest::SetNotifyPolicy(std::move(policy));
    EXPECT_TRUE(cabtest::PutRealFile(CorpusDir + name, name)) << name;
    return cabtest::CopyOne(name);
}

TEST(QuantumPeerCorpus, QuantumEntryOfTheThreeMethodCabinet) {
    // Only qtm.txt is extracted, so that the test does not depend on the other methods.
    const cabtest::CopyResult r = CopyCorpusCabinet("mszip_lzx_qtm.cab", [](int kind, cab::Notification* record) {
        if (kind == cab::CopyFile && std::string(record->str1) != "qtm.txt") return 0;
        return cabtest::DefaultAnswer;
    });
    ASSERT_EQ(r.result, 1) << cab::ErrorName(r.error.code);
    ASSERT_EQ(r.session.entries.size(), 1u);
    const std::vector<uint8_t>& data = r.session.entries[0].data;
    EXPECT_EQ(Md5Hex(data.data(), data.size()), "98fcfa4962a0f169a3c7fdbcb445cf17");
    EXPECT_EQ(std::string(data.begin(), data.end()), "If you can read this, the Quantum decompressor is working!\n");
}

TEST(QuantumPeerCorpus, DamagedCabinetsFailCleanly) {
    for (const char* name : {"cve-2010-2801-qtm-flush.cab", "cve-2014-9556-qtm-infinite-loop.cab",
                             "cve-2018-18584-qtm-max-size-block.cab"}) {
        const cabtest::CopyResult r = CopyCorpusCabinet(name);
        EXPECT_EQ(r.result, 0) << name;
        EXPECT_EQ(r.error.code, cab::DecompressFailed) << name << ": " << cab::ErrorName(r.error.code);
        EXPECT_TRUE(r.session.entries.empty()) << name;
        EXPECT_EQ(r.session.openHandles, 0) << name;
    }
}

}  // namespace
