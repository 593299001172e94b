// Reading the payload chain: records built byte by byte behind a fake program image, the bounds
// of the length field, the order of defines texts and the cabinet copy.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "driver/payload_chain.h"
#include "tests/common/test_files.h"

namespace {

// Builds an installer file: an image, then records appended as data, length, type.
class ChainBuilder {
public:
    ChainBuilder& Raw(const std::string& bytes) { bytes_ += bytes; return *this; }
    ChainBuilder& U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_ += static_cast<char>((v >> (8 * i)) & 0xFF);
        return *this;
    }
    ChainBuilder& Stub(const std::string& image) { return Raw(image).U32(uint32_t(image.size())).U32(StubRecord); }
    ChainBuilder& Record(uint32_t type, const std::string& data) { return Raw(data).U32(uint32_t(data.size())).U32(type); }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

struct ChainRun {
    bool ok = false;
    PayloadChainResult result;
    std::string cabinet;  // contents of the copied cabinet, when written
};

ChainRun RunChain(const std::string& fileBytes) {
    static int counter = 0;
    std::string name = "run" + std::to_string(++counter);
    std::string exe = WriteTestFile(name + ".exe", fileBytes);
    std::string dir = TestFilePath(name);
    ChainRun run;
    std::FILE* f = std::fopen(exe.c_str(), "rb");
    std::string cabinetFile = dir + "/work/files.cab";
    run.ok = ReadPayloadChain(f, cabinetFile, run.result);
    std::fclose(f);
    run.cabinet = ReadTestFile(cabinetFile);
    return run;
}

const std::string kImage = "MZ fake program image";

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 4096) & 0xFF);
    return s;
}

TEST(PayloadChain, ShortFilesHaveAnEmptyChain) {
    for (size_t n = 0; n <= 4; ++n) {
        ChainRun run = RunChain(std::string(n, '\x02'));
        EXPECT_TRUE(run.ok) << n;
        EXPECT_FALSE(run.result.cabinetWritten) << n;
        EXPECT_TRUE(run.result.attachedDefines.empty()) << n;
    }
}

TEST(PayloadChain, StubOnlySucceedsWithoutCabinet) {
    ChainRun run = RunChain(ChainBuilder().Stub(kImage).Bytes());
    EXPECT_TRUE(run.ok);
    EXPECT_FALSE(run.result.cabinetWritten);
}

TEST(PayloadChain, CabinetIsCopiedWhole) {
    for (size_t size : {size_t(0), size_t(1), size_t(4096), size_t(4096 * 3), size_t(4096 * 3 + 1)}) {
        std::string cab = Pattern(size);
        ChainRun run = RunChain(ChainBuilder().Stub(kImage).Record(CabinetRecord, cab).Bytes());
        EXPECT_TRUE(run.ok) << size;
        EXPECT_TRUE(run.result.cabinetWritten) << size;
        EXPECT_EQ(run.cabinet, cab) << size;
    }
}

TEST(PayloadChain, DefinesInFileOrderCutAtNul) {
    ChainRun run = RunChain(ChainBuilder()
                           .Stub(kImage)
                           .Record(DefinesRecord, "first")
                           .Record(CabinetRecord, "CAB")
                           .Record(DefinesRecord, std::string("second\0hidden", 13))
                           .Record(DefinesRecord, "")
                           .Bytes());
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.result.attachedDefines, (std::vector<std::string>{"first", "second", ""}));
}

TEST(PayloadChain, TheCabinetNearestTheStartRemains) {
    ChainRun run = RunChain(ChainBuilder().Stub(kImage).Record(CabinetRecord, "one").Record(CabinetRecord, "two").Bytes());
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.cabinet, "one");
}

// The record closest to the start may begin at offset 0 (length exactly p - 4); one byte more
// reaches before the file.
TEST(PayloadChain, LengthBounds) {
    std::string image = "IMAGE";
    std::string exact = ChainBuilder().Raw(image).U32(5).U32(StubRecord).Bytes();
    EXPECT_TRUE(RunChain(exact).ok);
    std::string tooLong = ChainBuilder().Raw(image).U32(6).U32(StubRecord).Bytes();
    EXPECT_FALSE(RunChain(tooLong).ok);
    std::string negative = ChainBuilder().Raw(image).U32(0xFFFFFFFFu).U32(StubRecord).Bytes();
    EXPECT_FALSE(RunChain(negative).ok);
    std::string huge = ChainBuilder().Raw(image).U32(0x7FFFFFFFu).U32(StubRecord).Bytes();
    EXPECT_FALSE(RunChain(huge).ok);
}

TEST(PayloadChain, NoRoomForTheLengthField) {
    // 5..7 bytes: the type field starts at 1..3, leaving no room for a length before it.
    for (size_t n = 5; n <= 7; ++n) EXPECT_FALSE(RunChain(std::string(n, '\0')).ok) << n;
    // 8 bytes of zeros: an empty defines record at offset 0.
    EXPECT_TRUE(RunChain(std::string(8, '\0')).ok);
}

TEST(PayloadChain, UnknownTypeFailsAfterTheCabinetWasWritten) {
    ChainRun run = RunChain(ChainBuilder()
                           .Stub(kImage)
                           .Record(DefinesRecord, "kept")
                           .Record(CabinetRecord, "CABDATA")
                           .Record(3, "what")
                           .Bytes());
    EXPECT_FALSE(run.ok);
    EXPECT_TRUE(run.result.message.empty());
    // The walk runs from the end, so the type-3 record stops it before anything else is read.
    EXPECT_FALSE(run.result.cabinetWritten);

    ChainRun later = RunChain(ChainBuilder()
                             .Raw("garbage-without-stub")
                             .Record(3, "x")
                             .Record(DefinesRecord, "kept")
                             .Record(CabinetRecord, "CABDATA")
                             .Bytes());
    EXPECT_FALSE(later.ok);
    EXPECT_EQ(later.cabinet, "CABDATA");  // records handled before the failure stay handled
    EXPECT_EQ(later.result.attachedDefines, (std::vector<std::string>{"kept"}));
}

TEST(PayloadChain, CabinetThatCannotBeCreated) {
    std::string bytes = ChainBuilder().Stub(kImage).Record(CabinetRecord, "CAB").Bytes();
    std::string exe = WriteTestFile("blocked.exe", bytes);
    std::FILE* f = std::fopen(exe.c_str(), "rb");
    PayloadChainResult result;
    // The cabinet's folder is a file, so neither the folder nor the cabinet can be made.
    std::string cabinetFile = exe + "/files.cab";
    EXPECT_FALSE(ReadPayloadChain(f, cabinetFile, result));
    std::fclose(f);
    EXPECT_EQ(result.message, "Unable to Create Cab '" + cabinetFile + "'");
}

TEST(PayloadChain, WalkVisitsRecordsFromTheEnd) {
    std::string bytes = ChainBuilder().Stub(kImage).Record(CabinetRecord, "CAB").Record(DefinesRecord, "D").Bytes();
    std::string path = WriteTestFile("walk.exe", bytes);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::vector<PayloadRecord> seen;
    EXPECT_TRUE(WalkPayloadChain(f, [&](const PayloadRecord& r) { seen.push_back(r); return true; }));
    std::fclose(f);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].type, uint32_t(DefinesRecord));
    EXPECT_EQ(seen[1].type, uint32_t(CabinetRecord));
    EXPECT_EQ(seen[1].offset, int64_t(kImage.size() + 8));
    EXPECT_EQ(seen[1].length, 3);
    EXPECT_EQ(seen[2].type, uint32_t(StubRecord));
    EXPECT_EQ(seen[2].offset, 0);
}

}  // namespace
