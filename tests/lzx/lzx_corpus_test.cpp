// The LZX cabinets of the shared peer corpus: the good ones decode to the digests the peer
// listed; the damaged ones end with the error the cabinet reader gives for them, without a
// crash or a hang (the sanitizer build runs these too).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cab/memory_client.h"
#include "tools/cabx/md5.h"

namespace {

struct CorpusCabinet {
    const char* file;
    int32_t error;                        // ErrorNone for a good cabinet
    std::vector<std::string> lzxDigests;  // digests of the entries, in order, for good ones
};

TEST(LzxCorpus, PeerCabinets) {
    const CorpusCabinet cabinets[] = {
        {"mszip_lzx_qtm.cab", cab::ErrorNone,
         {"940cba86658fbceb582faecd2b5975d1", "703474293b614e7110b3eb8ac2762b53", "98fcfa4962a0f169a3c7fdbcb445cf17"}},
        {"normal_2files_2folders.cab", cab::ErrorNone,
         {"59571918d5be925ad8aec9f5d7369cf5", "cb18e329a9effc70aa07a7061844b584", "67c5cd73e661fa667b8de3d8a5f6f3bf",
          "5182c12627058cf1afd4e6ce8f10d635"}},
        {"large-files-cab.cab", cab::ErrorNone, {"ac923e14971324651015ba44ceb59b36"}},
        // The block header announces more data than the cabinet has.
        {"cve-2015-4471-lzx-under-read.cab", cab::CorruptCabinet, {}},
        // A main tree of only zero lengths, then symbols.
        {"lzx-main-tree-no-lengths.cab", cab::DecompressFailed, {}},
        {"lzx-premature-matches.cab", cab::DecompressFailed, {}},
    };
    for (const CorpusCabinet& c : cabinets) {
        SCOPED_TRACE(c.file);
        cabtest::ResetDisk();
        cabtest::ResetSession();
        ASSERT_TRUE(cabtest::PutRealFile(std::string(CORPUS_DIR) + "/peer-cabs/" + c.file, c.file));
        cabtest::CopyResult r = cabtest::CopyOne(c.file);
        EXPECT_EQ(r.result, c.error == cab::ErrorNone ? 1 : 0);
        EXPECT_EQ(r.error.code, c.error);
        if (c.error != cab::ErrorNone) continue;
        std::vector<std::string> digests;
        for (const cabtest::ExtractedEntry& e : r.session.entries) digests.push_back(Md5Hex(e.data.data(), e.data.size()));
        EXPECT_EQ(digests, c.lzxDigests);
    }
}

}  // namespace
