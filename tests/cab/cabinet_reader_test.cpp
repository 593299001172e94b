// The cabinet reader on hand-made cabinets: the notification sequence, reserves and checksums,
// versions and names at their limits, skipping, reuse of a context, codec errors, the client's
// refusals, allocation failures, and sets of cabinets. Each cabinet is described field by field
// through the builder in cab_writer.h; a test states the fields its case is about.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cab/cabinet.h"
#include "tests/cab/cab_writer.h"
#include "tests/cab/memory_client.h"

namespace cabtest {
namespace {

Bytes Pattern(size_t size, uint32_t seed) {
    Bytes b(size);
    for (size_t i = 0; i < size; ++i) b[i] = static_cast<uint8_t>((i * 31 + seed * 7 + (i >> 9)) & 0xFF);
    return b;
}

std::vector<int> Kinds(const Session& s) {
    std::vector<int> kinds;
    for (const Event& e : s.events) kinds.push_back(e.kind);
    return kinds;
}

// An MSZIP folder of one block holding "xyz" (deflate's stored form).
FolderSpec MszipXyzFolder() {
    FolderSpec mszip;
    BitWriter w;
    w.Bits(1, 1);  // BFINAL
    w.Bits(0, 2);  // stored
    w.AlignToByte();
    w.Bits(3, 16);
    w.Bits(0xFFFC, 16);
    w.Bits('x', 8), w.Bits('y', 8), w.Bits('z', 8);
    mszip.typeCompress = 1;
    mszip.blocks.push_back(Block(w.MszipBlock(), 3));
    return mszip;
}

constexpr int HookCabinet = 100 + cab::CabinetOpened;
constexpr int HookFolder = 100 + cab::FolderOpened;
constexpr int HookBlock = 100 + cab::BlockRead;

class Reader : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDisk();
        ResetSession();
    }
    CopyResult Run(const CabinetSpec& layout) {
        PutFile("t.cab", BuildCabinet(layout));
        return CopyOne("t.cab");
    }
};

// ---- Notification order ---------------------------------------------------------------------

TEST_F(Reader, EmptyCabinetSendsCabinetInfoAndOneEnumerate) {
    const CopyResult r = Run(CabinetSpec());
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(Kinds(r.session), (std::vector<int>{cab::CabinetInfo, HookCabinet, cab::Enumerate}));
}

TEST_F(Reader, EntriesGetCopyFileCloseFileInfoAndALastEnumerate) {
    const CopyResult r = Run(StoredCabinet({{"a", Pattern(10, 1)}, {"b", Pattern(20, 2)}}));
    ASSERT_EQ(r.result, 1);
    EXPECT_EQ(Kinds(r.session),
              (std::vector<int>{cab::CabinetInfo, HookCabinet, cab::Enumerate, cab::CopyFile, HookFolder,
                                HookBlock, cab::CloseFileInfo, cab::CopyFile, cab::CloseFileInfo,
                                cab::Enumerate}));
    EXPECT_EQ(r.session.entries[1].data, Pattern(20, 2));
}

TEST_F(Reader, EmptyEntryIsClosedWithoutReadingABlock) {
    const CopyResult r = Run(StoredCabinet({{"empty", {}}}));
    ASSERT_EQ(r.result, 1);
    EXPECT_EQ(r.session.blocksRead, 0);
    ASSERT_EQ(r.session.entries.size(), 1u);
    EXPECT_TRUE(r.session.entries[0].data.empty());
}

TEST_F(Reader, AttribsRunFlagIsTakenOutForCloseFileInfo) {
    CabinetSpec layout = StoredCabinet({{"run.exe", Pattern(5, 1)}});
    layout.files[0].attribs = 0x61;
    const CopyResult r = Run(layout);
    ASSERT_EQ(r.result, 1);
    EXPECT_EQ(r.session.entries[0].attribs, 0x21);
    EXPECT_EQ(r.session.entries[0].runFlag, 1);
}

// ---- Blocks read ----------------------------------------------------------------------------

TEST_F(Reader, EntriesInFileOrderShareTheBlockInHand) {
    // Three blocks of 100; "a" ends in block 2 where "b" begins: block 2 is read once.
    const Bytes all = Pattern(300, 3);
    CabinetSpec layout;
    layout.folders.push_back(StoredFolder(all, 100));
    layout.files = {File("a", 150, 0), File("b", 150, 150)};
    const CopyResult r = Run(layout);
    ASSERT_EQ(r.result, 1);
    EXPECT_EQ(r.session.blocksRead, 3);
    EXPECT_EQ(r.session.entries[1].data, Bytes(all.begin() + 150, all.end()));
}

// A client's block buffers: every stored block is decoded into the buffer the client gives,
// the entries come out whole from it, MSZIP blocks (each the history of the next) never use
// one, and a null answer leaves the decoder's own buffer in use.
TEST_F(Reader, BlocksGoIntoTheClientsBuffersExceptMszipOnes) {
    struct Provider {
        bool answerNull = false;
        std::vector<Bytes> given;
        static uint8_t* Provide(void* context, uint32_t size) {
            auto* p = static_cast<Provider*>(context);
            p->given.emplace_back(size, 0xCC);
            return p->answerNull ? nullptr : p->given.back().data();
        }
    };
    const Bytes all = Pattern(300, 9);
    CabinetSpec layout;
    layout.folders.push_back(StoredFolder(all, 100));
    layout.folders.push_back(MszipXyzFolder());
    layout.files = {File("a", 150, 0), File("b", 150, 150), File("c", 3, 0, 1)};
    PutFile("t.cab", BuildCabinet(layout));
    for (const bool answerNull : {false, true}) {
        SCOPED_TRACE(answerNull ? "null answers" : "buffers given");
        ResetSession();
        Provider provider;
        provider.answerNull = answerNull;
        cab::ErrorRecord error;
        cab::Decoder* d = CreateDecoder(&error);
        ASSERT_NE(d, nullptr);
        cab::SetBlockBuffer(d, Provider::Provide, &provider);
        const int result = cab::Copy(d, "t.cab", "", 0, Notify, nullptr, nullptr);
        cab::Destroy(d);
        ASSERT_EQ(result, 1);
        const Session& s = CurrentSession();
        ASSERT_EQ(s.entries.size(), 3u);
        EXPECT_EQ(s.entries[0].data, Bytes(all.begin(), all.begin() + 150));
        EXPECT_EQ(s.entries[1].data, Bytes(all.begin() + 150, all.end()));
        EXPECT_EQ(s.entries[2].data, (Bytes{'x', 'y', 'z'}));
        ASSERT_EQ(provider.given.size(), 3u);  // the three stored blocks only
        if (!answerNull) {
            const Bytes& last = provider.given[2];
            EXPECT_EQ(Bytes(last.begin(), last.begin() + 100), Bytes(all.begin() + 200, all.end()));
        }
    }
}

TEST_F(Reader, EntryBeforeTheBlockInHandRestartsItsFolder) {
    const Bytes all = Pattern(300, 4);
    CabinetSpec layout;
    layout.folders.push_back(StoredFolder(all, 100));
    layout.files = {File("late", 50, 250), File("early", 50, 10)};
    const CopyResult r = Run(layout);
    ASSERT_EQ(r.result, 1);
    EXPECT_EQ(r.session.blocksRead, 3 + 1);
    EXPECT_EQ(r.session.entries[1].data, Bytes(all.begin() + 10, all.begin() + 60));
}

TEST_F(Reader, SkippingEveryEntryReadsNoBlock) {
    SetNotifyPolicy([](int kind, cab::Notification*) { return kind == cab::CopyFile ? 0 : DefaultAnswer; });
    const CopyResult r = Run(StoredCabinet({{"a", Pattern(70000, 1)}, {"b", Pattern(10, 2)}}));
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.session.blocksRead, 0);
    EXPECT_TRUE(r.session.entries.empty());
}

TEST_F(Reader, SecondCopyOnOneContextReadsTheFolderFromItsStart) {
    PutFile("t.cab", BuildCabinet(StoredCabinet({{"a", Pattern(40000, 1)}})));
    cab::ErrorRecord error;
    cab::Decoder* d = CreateDecoder(&error);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(cab::Copy(d, "t.cab", "", 0, Notify, Hook, nullptr), 1);
    EXPECT_EQ(CurrentSession().blocksRead, 2);
    EXPECT_EQ(cab::Copy(d, "t.cab", "", 0, Notify, Hook, nullptr), 1);
    EXPECT_EQ(CurrentSession().blocksRead, 4);
    ASSERT_EQ(CurrentSession().entries.size(), 2u);
    EXPECT_EQ(CurrentSession().entries[1].data, Pattern(40000, 1));
    cab::Destroy(d);
    EXPECT_EQ(CurrentSession().openHandles, 0);
}

// ---- Header fields --------------------------------------------------------------------------

TEST_F(Reader, VersionOtherThan0103IsUnknownWithTheWordFound) {
    CabinetSpec layout;
    layout.version = 0x0104;
    const CopyResult r = Run(layout);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.error.code, cab::UnknownVersion);
    EXPECT_EQ(r.error.detail, 0x0104);
    EXPECT_EQ(r.error.raised, 1);
}

TEST_F(Reader, NameOf255BytesIsReadAnd256WithoutNulIsCorrupt) {
    const std::string longest(255, 'n');
    CabinetSpec layout = StoredCabinet({{longest, Pattern(3, 1)}});
    CopyResult r = Run(layout);
    ASSERT_EQ(r.result, 1);
    EXPECT_EQ(r.session.entries[0].name, longest);

    ResetSession();
    layout.files[0].name = std::string(256, 'n');
    layout.files[0].terminated = false;
    r = Run(layout);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.error.code, cab::CorruptCabinet);
}

struct DamageCase {
    const char* what;
    size_t truncateTo;  // bytes kept
    int32_t error;
};

TEST_F(Reader, TruncatedCabinetsFailWithTheirError) {
    const Bytes whole = BuildCabinet(StoredCabinet({{"a", Pattern(100, 1)}}));
    // Layout: header 36, CFFOLDER 8 (to 44), CFFILE 16 + "a\0" (to 62), CFDATA 8 + 100.
    const DamageCase cases[] = {
        {"no bytes", 0, cab::NotACabinet},     {"half a header", 20, cab::NotACabinet},
        {"no folder", 36, cab::CorruptCabinet},    {"half a file entry", 50, cab::CorruptCabinet},
        {"name without NUL", 61, cab::CorruptCabinet}, {"no data header", 62, cab::CorruptCabinet},
        {"half the data", 120, cab::CorruptCabinet},
    };
    for (const DamageCase& c : cases) {
        ResetSession();
        PutFile("t.cab", Bytes(whole.begin(), whole.begin() + static_cast<long>(c.truncateTo)));
        const CopyResult r = CopyOne("t.cab");
        EXPECT_EQ(r.result, 0) << c.what;
        EXPECT_EQ(r.error.code, c.error) << c.what << ": " << cab::ErrorName(r.error.code);
        EXPECT_EQ(r.session.openHandles, 0) << c.what;
    }
}

// ---- Reserves and checksums -----------------------------------------------------------------

CabinetSpec ReservedCabinet() {
    CabinetSpec layout = StoredCabinet({{"a", Pattern(1000, 5)}});
    layout.reservePresent = true;
    layout.headerReserve = {1, 2, 3, 4, 5};
    layout.folderReserveSize = 3;
    layout.dataReserveSize = 6;
    layout.folders[0].reserve = {7, 8, 9};
    layout.folders[0].blocks[0].reserve = {0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6};
    return layout;
}

TEST_F(Reader, ReservesReachTheHookAndTheDataReserveIsInTheChecksum) {
    std::vector<Bytes> seen;
    SetHookPolicy([&](cab::HookRecord* h) {
        seen.push_back(h->reserve ? Bytes(h->reserve, h->reserve + h->reserveSize) : Bytes());
        return 0;
    });
    const CopyResult r = Run(ReservedCabinet());
    ASSERT_EQ(r.result, 1) << cab::ErrorName(r.error.code);
    EXPECT_EQ(r.session.entries[0].data, Pattern(1000, 5));
    EXPECT_EQ(seen, (std::vector<Bytes>{{1, 2, 3, 4, 5}, {7, 8, 9}, {0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6}}));
}

TEST_F(Reader, ChecksumLeavingOutTheDataReserveIsWrong) {
    // The checksum as some writers compute it, over cbData and cbUncomp only: with a non-zero
    // reserve that differs from the one over the whole header.
    CabinetSpec layout = ReservedCabinet();
    BlockSpec withoutReserve = layout.folders[0].blocks[0];
    withoutReserve.reserve.clear();
    layout.folders[0].blocks[0].checksumXor = BlockChecksum(withoutReserve) ^ BlockChecksum(layout.folders[0].blocks[0]);
    const CopyResult r = Run(layout);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.error.code, cab::CorruptCabinet);
}

TEST_F(Reader, WrongChecksumFailsOnlyWhenTheBlockIsNeeded) {
    CabinetSpec layout;
    layout.folders.push_back(StoredFolder(Pattern(300, 6), 100));
    layout.folders[0].blocks[2].checksumXor = 0x10;
    layout.files = {File("first", 100, 0), File("last", 100, 200)};
    // Only "first": blocks 0 and 1 are read, the damaged block 2 never.
    SetNotifyPolicy([](int kind, cab::Notification* n) {
        return kind == cab::CopyFile && std::string(n->str1) == "last" ? 0 : DefaultAnswer;
    });
    CopyResult r = Run(layout);
    EXPECT_EQ(r.result, 1);

    ResetSession();
    r = Run(layout);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.error.code, cab::CorruptCabinet);
    EXPECT_EQ(r.session.entries.size(), 1u);
}

TEST_F(Reader, ZeroChecksumsAreNotChecked) {
    CabinetSpec layout = StoredCabinet({{"a", Pattern(500, 7)}});
    layout.folders[0].blocks[0].checksum = false;
    EXPECT_EQ(Run(layout).result, 1);
}

TEST_F(Reader, DataReserveSizeMustStayTheSameOnOneContext) {
    CabinetSpec first = ReservedCabinet();
    CabinetSpec otherHeader = ReservedCabinet();
    otherHeader.headerReserve = {9};
    CabinetSpec otherData = ReservedCabinet();
    otherData.dataReserveSize = 2;
    otherData.folders[0].blocks[0].reserve = {1, 2};
    PutFile("first.cab", BuildCabinet(first));
    PutFile("header.cab", BuildCabinet(otherHeader));
    PutFile("data.cab", BuildCabinet(otherData));

    cab::ErrorRecord error;
    cab::Decoder* d = CreateDecoder(&error);
    EXPECT_EQ(cab::Copy(d, "first.cab", "", 0, Notify, nullptr, nullptr), 1);
    EXPECT_EQ(cab::Copy(d, "header.cab", "", 0, Notify, nullptr, nullptr), 1);
    EXPECT_EQ(error.raised, 0);
    EXPECT_EQ(cab::Copy(d, "data.cab", "", 0, Notify, nullptr, nullptr), 0);
    EXPECT_EQ(error.code, cab::ReserveMismatch);
    cab::Destroy(d);
}

// ---- Methods --------------------------------------------------------------------------------

TEST_F(Reader, UnknownMethodFailsOnlyWhenItsEntryIsExtracted) {
    for (uint16_t method = 4; method <= 15; ++method) {
        CabinetSpec layout = StoredCabinet({{"a", Pattern(10, 1)}});
        layout.folders[0].typeCompress = method;
        ResetSession();
        SetNotifyPolicy([](int kind, cab::Notification*) { return kind == cab::CopyFile ? 0 : DefaultAnswer; });
        EXPECT_EQ(Run(layout).result, 1) << method;

        ResetSession();
        const CopyResult r = Run(layout);
        EXPECT_EQ(r.result, 0) << method;
        EXPECT_EQ(r.error.code, cab::BadCompressionType) << method;
        EXPECT_EQ(r.session.blocksRead, 0) << method;
        EXPECT_EQ(r.session.openHandles, 0) << method;
    }
}

TEST_F(Reader, CodecRefusingTheFoldersWindowFailsAsDecompressFailed) {
    // Window bits the methods cannot work with: Quantum below 10, LZX below 15.
    for (uint16_t type : {uint16_t{0x0902}, uint16_t{0x0E03}}) {
        CabinetSpec layout = StoredCabinet({{"a", Pattern(10, 1)}});
        layout.folders[0].typeCompress = type;
        ResetSession();
        const CopyResult r = Run(layout);
        EXPECT_EQ(r.error.code, cab::DecompressFailed) << type;
        EXPECT_EQ(r.session.blocksRead, 0);
        EXPECT_EQ(r.session.openHandles, 0);
    }
}

TEST_F(Reader, BlockSizesOutsideTheBuffersFail) {
    struct Case {
        const char* what;
        uint32_t dataSize, uncompressed;
        int32_t error;
    } cases[] = {
        {"stored block larger than its buffer", 32769, 32769, cab::CorruptCabinet},
        {"cbUncomp above 32768", 100, 40000, cab::DecompressFailed},
        {"stored size differs from cbUncomp", 100, 99, cab::DecompressFailed},
    };
    for (const Case& c : cases) {
        CabinetSpec layout;
        FolderSpec folder;
        folder.blocks.push_back(Block(Pattern(c.dataSize, 2), c.uncompressed));
        layout.folders.push_back(folder);
        layout.files = {File("a", 10, 0)};
        ResetSession();
        const CopyResult r = Run(layout);
        EXPECT_EQ(r.error.code, c.error) << c.what;
    }
}

TEST_F(Reader, FolderOffsetsBeyondTheFolderAreCorrupt) {
    struct Case {
        const char* what;
        FileSpec file;
    } cases[] = {
        {"entry runs past the folder's data", File("a", 200, 0)},
        {"entry starts past the folder's data", File("a", 1, 500)},
        {"folder index 0xFFFC", File("a", 10, 0, 0xFFFC)},
    };
    for (const Case& c : cases) {
        CabinetSpec layout;
        layout.folders.push_back(StoredFolder(Pattern(100, 3)));
        layout.files = {c.file};
        ResetSession();
        const CopyResult r = Run(layout);
        EXPECT_EQ(r.result, 0) << c.what;
        EXPECT_EQ(r.error.code, cab::CorruptCabinet) << c.what;
        EXPECT_EQ(r.session.openHandles, 0) << c.what;
    }
}

// ---- The client's answers -------------------------------------------------------------------

TEST_F(Reader, ClientRefusalsEndTheCopy) {
    struct Case {
        const char* what;
        int kind;
        int answer;
        int32_t error;
    } cases[] = {
        {"CabinetInfo -1", cab::CabinetInfo, -1, cab::UserAbort},
        {"Enumerate -1", cab::Enumerate, -1, cab::UserAbort},
        {"CopyFile -1 (the client's open failed)", cab::CopyFile, -1, cab::UserAbort},
        {"CloseFileInfo 0", cab::CloseFileInfo, 0, cab::TargetFileError},
        {"CloseFileInfo -1", cab::CloseFileInfo, -1, cab::UserAbort},
    };
    for (const Case& c : cases) {
        ResetSession();
        SetNotifyPolicy([&](int kind, cab::Notification*) {
            return kind == c.kind ? c.answer : DefaultAnswer;
        });
        const CopyResult r = Run(StoredCabinet({{"a", Pattern(10, 1)}}));
        EXPECT_EQ(r.result, 0) << c.what;
        EXPECT_EQ(r.error.code, c.error) << c.what;
    }
}

TEST_F(Reader, HookAbortEndsTheCopy) {
    for (int kind : {cab::CabinetOpened, cab::FolderOpened, cab::BlockRead}) {
        ResetSession();
        SetHookPolicy([kind](cab::HookRecord* h) { return h->kind == kind ? -1 : 0; });
        const CopyResult r = Run(StoredCabinet({{"a", Pattern(10, 1)}}));
        EXPECT_EQ(r.error.code, cab::UserAbort) << kind;
        EXPECT_EQ(r.session.openHandles, 0) << kind;
    }
}

TEST_F(Reader, ShortWriteIsATargetFileError) {
    LimitWrites(100);
    const CopyResult r = Run(StoredCabinet({{"a", Pattern(1000, 1)}}));
    EXPECT_EQ(r.error.code, cab::TargetFileError);
    EXPECT_EQ(r.session.openHandles, 0) << "the engine closes the output it failed on";
}

TEST_F(Reader, EnumerateCanSkipEntriesOrStopTheList) {
    CabinetSpec layout = StoredCabinet({{"a", Pattern(10, 1)}, {"b", Pattern(10, 2)}, {"c", Pattern(10, 3)}});
    // Move the list past "a" (16 + 2 bytes) and leave two entries.
    SetNotifyPolicy([](int kind, cab::Notification* n) {
        if (kind == cab::Enumerate && n->iFolder == 3) n->size += 18, n->iFolder = 2;
        return DefaultAnswer;
    });
    CopyResult r = Run(layout);
    ASSERT_EQ(r.result, 1);
    ASSERT_EQ(r.session.entries.size(), 2u);
    EXPECT_EQ(r.session.entries[0].name, "b");

    ResetSession();
    SetNotifyPolicy([](int kind, cab::Notification* n) {
        if (kind == cab::Enumerate) n->iFolder = 0;
        return DefaultAnswer;
    });
    r = Run(layout);
    EXPECT_EQ(r.result, 1);
    EXPECT_TRUE(r.session.entries.empty());
}

TEST_F(Reader, EveryAllocationFailureIsOutOfMemoryAndLeaksNothing) {
    // Stored then MSZIP folder: the context, the reserve buffers, both codecs' buffers and the
    // MSZIP handle and state.
    CabinetSpec layout = StoredCabinet({{"a", Pattern(10, 1)}});
    layout.folders.push_back(MszipXyzFolder());
    layout.files.push_back(File("b", 3, 0, 1));
    PutFile("t.cab", BuildCabinet(layout));
    for (int n = 0;; ++n) {
        ResetSession();
        FailAllocation(n);
        cab::ErrorRecord error;
        cab::Decoder* d = CreateDecoder(&error);
        if (d == nullptr) {
            EXPECT_EQ(error.code, cab::OutOfMemory);
            continue;
        }
        const int result = cab::Copy(d, "t.cab", "", 0, Notify, nullptr, nullptr);
        cab::Destroy(d);
        if (result == 1) {
            EXPECT_GE(n, 6) << "fewer allocations than expected";
            break;
        }
        EXPECT_EQ(error.code, cab::OutOfMemory) << n;
        EXPECT_EQ(CurrentSession().openHandles, 0) << n;
    }
}

// ---- Sets of cabinets -----------------------------------------------------------------------

// Two cabinets: "a" is stored in one block whose first piece is in one.cab (cbUncomp 0) and
// whose second piece is in two.cab; "b" follows in two.cab.
void PutTwoCabinetSet(uint16_t secondSetID = 0x1234, uint16_t secondIndex = 1) {
    const Bytes a = Pattern(60, 1), b = Pattern(40, 2);
    CabinetSpec one;
    one.hasNext = true;
    one.nextCabinet = "two.cab";
    one.nextDisk = "disk 2";
    FolderSpec f1;
    f1.blocks.push_back(Block(Bytes(a.begin(), a.begin() + 25), 0));
    one.folders.push_back(f1);
    one.files = {File("a", 60, 0, 0xFFFE)};

    CabinetSpec two;
    two.setID = secondSetID;
    two.iCabinet = secondIndex;
    two.hasPrevious = true;
    two.previousCabinet = "one.cab";
    two.previousDisk = "disk 1";
    FolderSpec f2;
    Bytes rest(a.begin() + 25, a.end());
    rest.insert(rest.end(), b.begin(), b.end());
    f2.blocks.push_back(Block(rest, 100));
    two.folders.push_back(f2);
    two.files = {File("a", 60, 0, 0xFFFD), File("b", 40, 60, 0xFFFD)};
    PutFile("one.cab", BuildCabinet(one));
    PutFile("two.cab", BuildCabinet(two));
}

TEST_F(Reader, BlockContinuedInTheNextCabinetIsJoined) {
    PutTwoCabinetSet();
    const CopyResult r = CopyOne("one.cab");
    ASSERT_EQ(r.result, 1) << cab::ErrorName(r.error.code);
    ASSERT_EQ(r.session.entries.size(), 2u);
    EXPECT_EQ(r.session.entries[0].data, Pattern(60, 1));
    EXPECT_EQ(r.session.entries[1].data, Pattern(40, 2));
    int nextCabinet = 0;
    for (const Event& e : r.session.events) nextCabinet += e.kind == cab::NextCabinet;
    EXPECT_EQ(nextCabinet, 1);
}

TEST_F(Reader, NextCabinetOfAnotherSetIsRetriedThenAbandoned) {
    for (auto [set, index] : {std::pair<uint16_t, uint16_t>{0x9999, 1}, {0x1234, 5}}) {
        ResetDisk();
        ResetSession();
        PutTwoCabinetSet(set, index);
        const CopyResult r = CopyOne("one.cab");
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.error.code, cab::UserAbort);
        // The retry tells the client why the first attempt failed.
        std::vector<int32_t> errors;
        for (const Event& e : r.session.events) {
            if (e.kind == cab::NextCabinet) errors.push_back(e.error);
        }
        EXPECT_EQ(errors, (std::vector<int32_t>{0, cab::WrongCabinet}));
        EXPECT_EQ(r.session.openHandles, 0);
    }
}

TEST_F(Reader, ClientCanNameTheNextCabinetItself) {
    PutTwoCabinetSet();
    DiskFile("renamed.cab") = DiskFile("two.cab");
    DiskFile("two.cab").clear();
    SetNotifyPolicy([](int kind, cab::Notification* n) {
        if (kind == cab::NextCabinet && n->error != 0) std::snprintf(n->str1, 256, "renamed.cab");
        return kind == cab::NextCabinet ? 0 : DefaultAnswer;
    });
    const CopyResult r = CopyOne("one.cab");
    ASSERT_EQ(r.result, 1) << cab::ErrorName(r.error.code);
    EXPECT_EQ(r.error.raised, 0) << "a move that succeeded in the end leaves the record alone";
    EXPECT_EQ(r.session.entries.size(), 2u);
}

TEST_F(Reader, CabinetWithoutANextOneCannotContinueABlock) {
    PutTwoCabinetSet();
    CabinetSpec one;
    FolderSpec f1;
    f1.blocks.push_back(Block(Pattern(25, 1), 0));
    one.folders.push_back(f1);
    one.files = {File("a", 60, 0, 0xFFFE)};
    PutFile("one.cab", BuildCabinet(one));
    const CopyResult r = CopyOne("one.cab");
    EXPECT_EQ(r.error.code, cab::CorruptCabinet);
}

}  // namespace
}  // namespace cabtest
