// The real installer executable's start-up under Wine: it names the Workspace in TMP, opens
// itself, copies the payload's cabinet there, and ends with exit code 5 and its message when the
// payload cannot be read, leaving nothing behind in TMP.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "driver/payload_chain.h"
#include "driver/workspace.h"
#include "tests/common/test_files.h"
#include "tests/win32/robot.h"

namespace {

std::string U32(uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

std::string Record(uint32_t type, const std::string& data) { return data + U32(uint32_t(data.size())) + U32(type); }

std::string ThisFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// The stub's image as the first record of an installer.
std::string StubImage() {
    static std::string image = ReadTestFile(ThisFolder() + "setup-stub.exe");
    return image + U32(uint32_t(image.size())) + U32(StubRecord);
}

bool IsEmptyFolder(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return true;
    bool empty = true;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..") empty = false;
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return empty;
}

class StubStartup : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        root_ = std::string(temp) + "stub_test_" + std::to_string(GetCurrentProcessId()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RemoveTree(root_);  // a folder of an earlier run (Wine reuses process ids)
        CreateDirectoryA(root_.c_str(), nullptr);
        tmp_ = root_ + "\\tmp";
        CreateDirectoryA(tmp_.c_str(), nullptr);
    }

    // Writes the installer and runs it with TMP set to tmp_ (or tmpValue), answering its boxes.
    DWORD RunInstaller(const std::string& bytes, std::vector<SeenBox>& boxes, const std::string& tmpValue = "",
                       int answer = IDOK) {
        std::string exe = root_ + "\\setup.exe";
        WriteBytes(exe, bytes);
        RobotProcess process;
        EXPECT_TRUE(StartProgram(exe, {"TMP=" + (tmpValue.empty() ? tmp_ : tmpValue)}, process));
        DWORD exitCode = 0;
        EXPECT_TRUE(AnswerBoxesUntilExit(process, 30000, boxes, exitCode, answer));
        return exitCode;
    }

    void TearDown() override {
        if (!HasFailure()) RemoveTree(root_);
    }

    std::string root_, tmp_;
};

// A payload that reads well but whose cabinet is no cabinet: the cfg\ files cannot be unpacked,
// which is fatal before props.xml is loaded (empty titles), and the run is abandoned.
TEST_F(StubStartup, CabinetThatIsNoCabinetAbandonsTheRun) {
    std::vector<SeenBox> boxes;
    DWORD code = RunInstaller(StubImage() + Record(CabinetRecord, "MSCF not really") +
                              Record(DefinesRecord, "<Defines/>"), boxes, "", IDCANCEL);
    EXPECT_EQ(code, 10u);
    // The robot may also catch the Prepare page, or a window twice while it changes; what
    // matters is the fatal box with its empty title, then the AbortPage last.
    std::string seen;
    for (const SeenBox& box : boxes) seen += "[" + box.title + "|" + box.text + "] ";
    bool fatalShown = std::any_of(boxes.begin(), boxes.end(), [](const SeenBox& box) {
        return box.title.empty() && box.text == "Failed to decompress setup files!";
    });
    EXPECT_TRUE(fatalShown) << seen;
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().title, "") << seen;  // the AbortPage, its texts not yet defined
    EXPECT_TRUE(IsEmptyFolder(tmp_));
}

TEST_F(StubStartup, UnreadablePayloadEndsWithCode5) {
    const struct {
        const char* what;
        std::string tail;
    } cases[] = {
        {"unknown record type", Record(7, "x")},
        {"length reaching before the file", std::string("\xff\xff\xff\x7f", 4) + U32(CabinetRecord)},
        {"negative length", U32(0x80000000u) + U32(DefinesRecord)},
    };
    for (const auto& c : cases) {
        std::vector<SeenBox> boxes;
        DWORD code = RunInstaller(StubImage() + Record(CabinetRecord, "CAB") + c.tail, boxes);
        EXPECT_EQ(code, 5u) << c.what;
        ASSERT_EQ(boxes.size(), 1u) << c.what;
        EXPECT_EQ(boxes[0].text, "Unable to Read Installer Data") << c.what;
        EXPECT_EQ(boxes[0].title, "") << c.what;  // no props.xml yet: the title expands to nothing
        EXPECT_TRUE(IsEmptyFolder(tmp_)) << c.what;
    }
}

TEST_F(StubStartup, TruncatedInstaller) {
    std::string whole = StubImage() + Record(CabinetRecord, std::string(10000, 'c'));
    std::vector<SeenBox> boxes;
    DWORD code = RunInstaller(whole.substr(0, whole.size() - 3000), boxes);
    EXPECT_EQ(code, 5u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Unable to Read Installer Data");
    EXPECT_TRUE(IsEmptyFolder(tmp_));
}

// The cabinet is copied into TMP\zelcfg<n>\files.cab before a later record fails; it is there
// while the error box is open and gone after it. TMP is also accepted in double quotes.
TEST_F(StubStartup, CabinetLandsInTheWorkspaceNamedByTmp) {
    std::string cabinet(4096 * 2 + 1, 'k');
    std::string exe = root_ + "\\setup.exe";
    WriteBytes(exe, StubImage() + Record(9, "bad") + Record(CabinetRecord, cabinet));
    CreateDirectoryA((tmp_ + "\\zelcfg0").c_str(), nullptr);  // taken: the next number is used
    RobotProcess process;
    ASSERT_TRUE(StartProgram(exe, {"TMP=\"" + tmp_ + "\""}, process));
    HWND box = WaitForWindow(process, nullptr, "#32770", 20000);
    ASSERT_TRUE(box != nullptr);
    EXPECT_EQ(ReadTestFile(tmp_ + "\\zelcfg1\\files.cab"), cabinet);
    AnswerBox(box, IDOK);
    DWORD code = 0;
    ASSERT_TRUE(WaitForExit(process, 20000, code));
    EXPECT_EQ(code, 5u);
    EXPECT_EQ(GetFileAttributesA((tmp_ + "\\zelcfg1").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA((tmp_ + "\\zelcfg0").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
