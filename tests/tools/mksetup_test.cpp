// mksetup as its users run it: installers whose payload chain the installer's own reader walks
// in the right order (stub, cabinet, defines in the order given), cabinets of the package's
// cfg\ and files\ trees, byte-identical repeat builds, configuration errors quoted exactly as
// the installer would report them (message, line and file), the warning about page and message
// texts the package leaves undefined, the default stub beside the tool, inspect, and the
// command line's exit codes.
#include <gtest/gtest.h>

#include <filesystem>

#include "driver/payload_chain.h"
#include "tests/common/test_files.h"
#include "tests/tools/tool_test_support.h"
#include "tools/mksetup/cabinet_listing.h"
#include "tools/mksetup/placeholder_ids.h"

namespace {

using tooltest::Quote;
using tooltest::RunCommand;

std::string AllTexts(const std::string& skippedId = "") {
    std::string props = "<Properties>\n";
    for (const PlaceholderId& placeholder : PlaceholderIds()) {
        if (placeholder.id == skippedId) continue;
        props += std::string("  <String id=\"") + placeholder.id + "\">text of " + placeholder.id + "</String>\n";
    }
    return props + "</Properties>\n";
}

const char* InstallXml =
    "<InstallConfig>\n"
    "  <RunExe>%InstallPath%\\game.exe</RunExe>\n"
    "  <InstallLog>%InstallPath%\\install.log</InstallLog>\n"
    "</InstallConfig>\n";
const char* DefinesXml =
    "<Defines>\n"
    "  <Define><Name>InstallPath</Name><Value>C:\\Games\\Test</Value></Define>\n"
    "</Defines>\n";

class Mksetup : public ::testing::Test {
protected:
    void SetUp() override {
        package = TestFilePath("package");
        std::filesystem::remove_all(package);
        std::filesystem::create_directories(package + "/cfg");
        std::filesystem::create_directories(package + "/files/data");
        Put("cfg/props.xml", AllTexts());
        Put("cfg/install.xml", InstallXml);
        Put("cfg/defines.xml", DefinesXml);
        for (const char* name : {"cfg/logo.bmp", "cfg/product.bmp", "cfg/license.txt", "cfg/readme.txt"}) Put(name, name);
        Put("files/game.exe", "MZ game " + tooltest::RandomBytes(50000, 5));
        Put("files/data/level.txt", tooltest::RepetitiveBytes(40000));
        stub = WriteTestFile("stub.exe", "MZ" + tooltest::RandomBytes(3000, 9));
    }
    void TearDown() override { std::filesystem::remove_all(package); }

    void Put(const std::string& name, const std::string& content) { WriteBytes(package + "/" + name, content); }

    tooltest::CommandResult Mk(const std::string& arguments) { return RunCommand(Quote(MKSETUP_PATH) + " " + arguments); }
    tooltest::CommandResult Build(const std::string& output, const std::string& extra = "") {
        return Mk("-o " + Quote(output) + " --stub " + Quote(stub) + " " + extra + " " + Quote(package));
    }

    std::string package;
    std::string stub;
};

std::vector<PayloadRecord> RecordsInFileOrder(const std::string& path) {
    std::vector<PayloadRecord> records;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_TRUE(file) << path;
    if (!file) return records;
    EXPECT_TRUE(WalkPayloadChain(file, [&](const PayloadRecord& record) {
        records.insert(records.begin(), record);
        return true;
    }));
    std::fclose(file);
    return records;
}

TEST_F(Mksetup, InstallerRecordsComeInOrder) {
    std::string first = WriteTestFile("first.xml", "<Defines><Define><Name>A</Name><Value>1</Value></Define></Defines>\n");
    std::string second = WriteTestFile("second.xml", "<Defines>\n<Define><Name>A</Name><Value>2</Value></Define></Defines>");
    std::string setup = TestFilePath("setup.exe");
    tooltest::CommandResult run = Build(setup, "--defines " + Quote(first) + " --defines=" + Quote(second));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");

    std::vector<PayloadRecord> records = RecordsInFileOrder(setup);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].type, StubRecord);
    EXPECT_EQ(records[1].type, CabinetRecord);
    EXPECT_EQ(records[2].type, DefinesRecord);
    EXPECT_EQ(records[3].type, DefinesRecord);
    std::string bytes = ReadTestFile(setup);
    EXPECT_EQ(records[0].offset, 0);
    EXPECT_TRUE(bytes.substr(0, size_t(records[0].length)) == ReadTestFile(stub));
    EXPECT_EQ(bytes.substr(size_t(records[2].offset), size_t(records[2].length)), ReadTestFile(first));
    EXPECT_EQ(bytes.substr(size_t(records[3].offset), size_t(records[3].length)), ReadTestFile(second));

    // The cabinet holds cfg\ and files\ under those prefixes, and decodes.
    std::FILE* file = std::fopen(setup.c_str(), "rb");
    ASSERT_TRUE(file);
    CabinetListing listing;
    std::string error;
    ASSERT_TRUE(ListCabinet(file, records[1].offset, listing, error)) << error;
    std::fclose(file);
    EXPECT_EQ(listing.cabinetSize, records[1].length);
    std::vector<std::string> names;
    for (const ListedEntry& entry : listing.entries) names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"cfg\\defines.xml", "cfg\\install.xml", "cfg\\license.txt", "cfg\\logo.bmp",
                                               "cfg\\product.bmp", "cfg\\props.xml", "cfg\\readme.txt",
                                               "files\\data\\level.txt", "files\\game.exe"}));
    std::string cabinet = WriteTestFile("payload.cab", bytes.substr(size_t(records[1].offset), size_t(records[1].length)));
    if (tooltest::HaveProgram("cabextract")) {
        tooltest::CommandResult test = RunCommand("cabextract -t " + Quote(cabinet));
        EXPECT_EQ(test.exitCode, 0) << test.out << test.err;
        EXPECT_NE(test.out.find("files/game.exe  OK"), std::string::npos) << test.out;
    }
}

TEST_F(Mksetup, RepeatBuildsAreByteIdentical) {
    std::string defines = WriteTestFile("extra.xml", DefinesXml);
    std::string one = TestFilePath("one.exe"), two = TestFilePath("two.exe");
    ASSERT_EQ(Build(one, "--defines " + Quote(defines)).exitCode, 0);
    ASSERT_EQ(Build(two, "--defines " + Quote(defines)).exitCode, 0);
    EXPECT_TRUE(ReadTestFile(one) == ReadTestFile(two));

    std::string cabOne = TestFilePath("one.cab"), cabTwo = TestFilePath("two.cab");
    ASSERT_EQ(Mk("cab -o " + Quote(cabOne) + " " + Quote(package + "/files")).exitCode, 0);
    ASSERT_EQ(Mk("cab --compress none -o " + Quote(cabTwo) + " " + Quote(package + "/files")).exitCode, 0);
    ASSERT_EQ(Mk("cab -o " + Quote(cabTwo) + " " + Quote(package + "/files")).exitCode, 0);
    EXPECT_TRUE(ReadTestFile(cabOne) == ReadTestFile(cabTwo));
}

// Each broken document stops mksetup before it writes anything, with the installer's own
// error text: the message, the line and the file.
TEST_F(Mksetup, ConfigurationErrorsAreQuotedWithFileAndLine) {
    struct Case {
        const char* file;      // relative to the package, or "extra" for a --defines file
        const char* content;
        const char* message;   // the text before " on Line"
        int line;
    };
    const Case cases[] = {
        {"cfg/install.xml", "<InstallConfig>\n  <RunExe>x</RunExe>\n  <Bogus>y</Bogus>\n</InstallConfig>\n",
         "Invalid Section 'Bogus'", 3},
        {"cfg/props.xml", "<Properties>\n<String id=\"A\">a <b>bold</b></String>\n</Properties>\n",
         "Unexpected Section: 'b'", 2},
        {"cfg/defines.xml", "<Defines>\n<Define>\n<Nome>x</Nome>\n</Define>\n</Defines>\n", "Invalid Section 'Nome'", 3},
        {"extra", "<Defines>\n\n\n<Oops/>\n</Defines>\n", "Invalid Section 'Oops'", 4},
    };
    for (const Case& c : cases) {
        SetUp();
        std::string path;
        std::string extra;
        if (std::string(c.file) == "extra") {
            path = WriteTestFile("broken-defines.xml", c.content);
            extra = "--defines " + Quote(path);
        } else {
            path = package + "/" + c.file;
            Put(c.file, c.content);
        }
        std::string setup = TestFilePath("broken.exe");
        tooltest::CommandResult run = Build(setup, extra);
        EXPECT_EQ(run.exitCode, 1) << c.file;
        EXPECT_EQ(run.err, "mksetup: " + std::string(c.message) + " on Line " + std::to_string(c.line) + " in File '" +
                               path + "'\n")
            << c.file;
        EXPECT_FALSE(std::filesystem::exists(setup)) << c.file;
    }
}

TEST_F(Mksetup, MissingDocumentIsNamed) {
    std::filesystem::remove(package + "/cfg/install.xml");
    tooltest::CommandResult run = Build(TestFilePath("setup.exe"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "mksetup: Unable to open file " + package + "/cfg/install.xml\n");
}

// The installer would show the text of an undefined id as empty: mksetup says so, and still
// builds the installer.
TEST_F(Mksetup, WarnsAboutUndefinedPageTexts) {
    Put("cfg/props.xml", AllTexts("BUTTON_NEXT"));
    std::filesystem::remove(package + "/cfg/readme.txt");
    std::string setup = TestFilePath("setup.exe");
    tooltest::CommandResult run = Build(setup);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err,
              "mksetup: warning: props.xml does not define %BUTTON_NEXT% (Welcome and Options pages); it will show "
              "as empty text\n"
              "mksetup: warning: cfg/readme.txt is missing\n");
    EXPECT_TRUE(std::filesystem::exists(setup));

    // A define of the id fills the text as well as props.xml would.
    std::string defines = WriteTestFile("next.xml", "<Defines><Define><Name>BUTTON_NEXT</Name><Value>Next</Value></Define></Defines>");
    run = Build(setup, "--defines " + Quote(defines));
    EXPECT_EQ(run.err, "mksetup: warning: cfg/readme.txt is missing\n");
}

TEST_F(Mksetup, DefinesFileWithNulByteIsRefused) {
    std::string defines = WriteTestFile("nul.xml", std::string("<Defines></Defines>\0<Defines></Defines>", 39));
    tooltest::CommandResult run = Build(TestFilePath("setup.exe"), "--defines " + Quote(defines));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("holds a NUL byte"), std::string::npos) << run.err;
}

// Without --stub: setup-stub.exe beside the tool, else in ../win32/bin/ (build/bin/mksetup
// finds build/win32/bin/setup-stub.exe).
TEST_F(Mksetup, FindsTheStubBesideItself) {
    std::string tree = TestFilePath("tree");
    std::filesystem::remove_all(tree);
    std::filesystem::create_directories(tree + "/bin");
    std::filesystem::create_directories(tree + "/win32/bin");
    std::string tool = tree + "/bin/mksetup";
    std::filesystem::copy_file(MKSETUP_PATH, tool);
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    std::string setup = TestFilePath("setup.exe");
    std::string args = "-o " + Quote(setup) + " " + Quote(package);

    tooltest::CommandResult run = RunCommand(Quote(tool) + " " + args);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("no installer stub found"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(tree + "/bin/../win32/bin/setup-stub.exe"), std::string::npos) << run.err;

    std::filesystem::copy_file(stub, tree + "/win32/bin/setup-stub.exe");
    ASSERT_EQ(RunCommand(Quote(tool) + " " + args).exitCode, 0);
    EXPECT_EQ(RecordsInFileOrder(setup).size(), 2u);

    WriteBytes(tree + "/bin/setup-stub.exe", "MZ the nearer stub");
    ASSERT_EQ(RunCommand(Quote(tool) + " " + args).exitCode, 0);
    EXPECT_EQ(RecordsInFileOrder(setup)[0].length, 18);
    std::filesystem::remove_all(tree);
}

TEST_F(Mksetup, InspectPrintsTheChain) {
    std::string defines = WriteTestFile("extra.xml", "<Defines>\r\n<Define><Name>A</Name><Value>1</Value></Define></Defines>");
    std::string setup = TestFilePath("setup.exe");
    ASSERT_EQ(Build(setup, "--compress none --defines " + Quote(defines)).exitCode, 0);
    tooltest::CommandResult run = Mk("inspect " + Quote(setup));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (const char* expected : {"3 record(s)", "record 1: stub    offset 0, 3002 bytes", "record 2: cabinet",
                                 "9 entries in 1 folder(s)", "folder 0: stored", "files\\game.exe",
                                 "record 3: defines", "first line: <Defines>\n"}) {
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
    }
    EXPECT_NE(run.out.find("       50008  "), std::string::npos) << run.out;

    tooltest::CommandResult broken = Mk("inspect " + Quote(stub));  // no chain behind it
    EXPECT_EQ(broken.exitCode, 1);
}

TEST_F(Mksetup, CommandLineErrors) {
    struct Case {
        std::string arguments;
        int exitCode;
        const char* said;  // a part of stderr
    };
    const Case cases[] = {
        {"", 2, "usage: mksetup"},
        {"--bogus " + Quote(package), 2, "unknown option '--bogus'"},
        {Quote(package) + " " + Quote(package), 2, "exactly one package folder"},
        {"--compress lzw " + Quote(package), 2, "unknown compression method 'lzw'"},
        {"-o", 2, "option '-o' needs a value"},
        {"cab " + Quote(package), 2, "-o OUT.CAB is required"},
        {"cab -o x.cab --stub s " + Quote(package), 2, "unknown option '--stub'"},
        {"inspect", 2, "exactly one installer file"},
        {"--stub " + Quote(stub) + " " + Quote(package + "/nothing"), 1, "is not a package folder"},
        {"cab -o " + Quote(TestFilePath("x.cab")) + " " + Quote(package + "/nothing"), 1, "is not a folder"},
        {"--stub " + Quote(package + "/cfg/props.xml") + " -o " + Quote(TestFilePath("x.exe")) + " " + Quote(package), 1,
         "is not a Windows executable"},
    };
    for (const Case& c : cases) {
        tooltest::CommandResult run = Mk(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << c.arguments << ": " << run.err;
    }
    tooltest::CommandResult help = Mk("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: mksetup", 0), 0u) << help.out;
}

}  // namespace
