// cabx: the rule that keeps extracted entries inside their folder, and the command itself run
// as a user runs it (exit codes, output of test and list, installers, extraction with a
// prefix, refusals). The command-line cases run the native program and are skipped on Windows.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cab/cab_writer.h"
#include "tools/cabx/md5.h"
#include "tools/cabx/safe_path.h"

namespace cabtest {
namespace {

TEST(SafeRelativePath, KeepsEntriesInsideTheFolder) {
    struct Case {
        const char* name;
        bool ok;
        std::vector<std::string> components;
    } cases[] = {
        {"a.txt", true, {"a.txt"}},
        {"cfg\\sub\\deep\\a.txt", true, {"cfg", "sub", "deep", "a.txt"}},
        {"mixed/seps\\x", true, {"mixed", "seps", "x"}},
        {"double\\\\sep", true, {"double", "sep"}},
        {"..x\\y..", true, {"..x", "y.."}},
        {"", false, {}},
        {"\\root", false, {}},
        {"/root", false, {}},
        {"..\\up", false, {}},
        {"a\\..\\..\\up", false, {}},
        {"a/./b", false, {}},
        {"C:evil", false, {}},
        {"c:\\windows\\x", false, {}},
        {"file:stream", false, {}},
        {"dir\\", true, {"dir"}},
        {"\\", false, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> components;
        EXPECT_EQ(SafeRelativePath(c.name, components), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(components, c.components) << c.name;
        }
    }
}

TEST(Md5, KnownDigests) {
    EXPECT_EQ(Md5Hex("", 0), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("abc", 3), "900150983cd24fb0d6963f7d28e17f72");
    const std::string digits = "12345678901234567890123456789012345678901234567890123456789012345678901234567890";
    EXPECT_EQ(Md5Hex(digits.data(), digits.size()), "57edf4a22be3c955ac49da2e2107b67a");
    // Fed in uneven pieces: the same digest.
    Md5 md5;
    Md5Begin(md5);
    for (size_t at = 0; at < digits.size(); at += 7) Md5Update(md5, digits.data() + at, std::min<size_t>(7, digits.size() - at));
    EXPECT_EQ(Md5End(md5), "57edf4a22be3c955ac49da2e2107b67a");
}

#ifndef _WIN32

struct Result {
    int exitCode;
    std::string out, err;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class CabxCommand : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/cabx-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::system(("chmod -R u+w '" + dir_ + "'; rm -rf '" + dir_ + "'").c_str()); }

    Result Cabx(const std::string& args) {
        const std::string command = "cd '" + dir_ + "' && '" CABX_PATH "' " + args + " >out.txt 2>err.txt";
        const int status = std::system(command.c_str());
        return {WEXITSTATUS(status), ReadAll(dir_ + "/out.txt"), ReadAll(dir_ + "/err.txt")};
    }
    void Write(const std::string& name, const Bytes& bytes) {
        std::ofstream out(dir_ + "/" + name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::string dir_;
};

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

CabinetSpec SampleCabinet() {
    return StoredCabinet({{"cfg\\readme.txt", Text("hello\n")}, {"files\\game\\run.exe", Text("MZ game")}});
}

TEST_F(CabxCommand, UsageErrorsAndHelp) {
    EXPECT_EQ(Cabx("").exitCode, 2);
    EXPECT_EQ(Cabx("frobnicate x.cab").exitCode, 2);
    EXPECT_EQ(Cabx("test").exitCode, 2);
    EXPECT_EQ(Cabx("list -d x a.cab").exitCode, 2);
    EXPECT_EQ(Cabx("extract -d").exitCode, 2);
    const Result help = Cabx("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("cabx extract [-d DIR] [-p PREFIX] FILE"), std::string::npos);
}

TEST_F(CabxCommand, TestPrintsDigestAndNameOfEveryEntry) {
    Write("s.cab", BuildCabinet(SampleCabinet()));
    const Result r = Cabx("test s.cab");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, Md5Hex("hello\n", 6) + "  cfg\\readme.txt\n" + Md5Hex("MZ game", 7) + "  files\\game\\run.exe\n");
}

TEST_F(CabxCommand, ListShowsSizeDateTimeAttributesAndName) {
    CabinetSpec layout = SampleCabinet();
    layout.files[1].attribs = 0x61;
    Write("s.cab", BuildCabinet(layout));
    const Result r = Cabx("list s.cab");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "         6  2025-01-01 12:00:00  ---a-  cfg\\readme.txt\n"
                     "         7  2025-01-01 12:00:00  r--ax  files\\game\\run.exe\n");
}

TEST_F(CabxCommand, FindsTheCabinetInAnInstaller) {
    // Program image, its length and type 2; the cabinet, its length and type 1.
    ByteWriter file;
    const Bytes image(3000, 0x90);
    file.Append(image);
    file.U32(static_cast<uint32_t>(image.size()));
    file.U32(2);
    const Bytes cabinet = BuildCabinet(SampleCabinet());
    file.Append(cabinet);
    file.U32(static_cast<uint32_t>(cabinet.size()));
    file.U32(1);
    Write("setup.exe", file.bytes);
    const Result r = Cabx("test setup.exe");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(Md5Hex("MZ game", 7)), std::string::npos);
}

TEST_F(CabxCommand, ExtractWritesEntriesUnderThePrefixWithoutIt) {
    Write("s.cab", BuildCabinet(SampleCabinet()));
    const Result r = Cabx("extract -d out -p files\\\\ s.cab");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadAll(dir_ + "/out/game/run.exe"), "MZ game");
    EXPECT_FALSE(std::ifstream(dir_ + "/out/readme.txt").good());
    EXPECT_FALSE(std::ifstream(dir_ + "/out/cfg/readme.txt").good());
}

TEST_F(CabxCommand, FailuresNameTheErrorAndExit1) {
    Write("escape.cab", BuildCabinet(StoredCabinet({{"..\\..\\evil", Text("x")}})));
    CabinetSpec damaged = SampleCabinet();
    damaged.folders[0].blocks[0].checksumXor = 1;
    Write("damaged.cab", BuildCabinet(damaged));
    Write("text.txt", Text("just some text, not a cabinet"));
    CabinetSpec set = SampleCabinet();
    set.hasNext = true;
    set.nextCabinet = "missing.cab";
    set.folders[0].blocks[0].uncompressed = 0;  // continues in the missing cabinet
    Write("set.cab", BuildCabinet(set));

    struct Case {
        const char* args;
        const char* error;
    } cases[] = {
        {"extract -d out escape.cab", "UnsafeEntryName"},
        {"test damaged.cab", "CorruptCabinet"},
        {"test text.txt", "NotACabinet"},
        {"test nothing-here.cab", "NotACabinet"},
        {"test set.cab", "CabinetNotFound"},
    };
    for (const Case& c : cases) {
        const Result r = Cabx(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args;
        EXPECT_EQ(r.err.rfind(std::string("cabx: ") + c.error + ": ", 0), 0u) << c.args << ": " << r.err;
    }
    EXPECT_FALSE(std::ifstream(dir_ + "/../evil").good());
}

#endif  // _WIN32

}  // namespace
}  // namespace cabtest
