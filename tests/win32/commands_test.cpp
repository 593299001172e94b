// Running the PreExec/PostExec commands: waiting for each, SilentFail, the fatal box for a
// command that cannot start, and a confirmed Cancel ending the wait for a long command.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "driver/commands.h"
#include "driver/installer_state.h"
#include "driver/workspace.h"
#include "tests/common/test_files.h"
#include "tests/win32/box_answerer.h"

namespace {

std::string SleeperPath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1) + "sleeper.exe";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

ExecItem Item(const std::string& exe, const std::string& params, bool silentFail = false, const std::string& folder = "") {
    ExecItem item;
    item.Exe = exe;
    item.Params = params;
    item.SilentFail = silentFail;
    item.Directory = folder;
    return item;
}

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        Installer().Aborted = false;
        folder_ = TestFilePath("cmd");
        RemoveTree(folder_);
        CreateDirectoryA(folder_.c_str(), nullptr);
        Defines().Set("Sleeper", SleeperPath());
    }
    void TearDown() override {
        Installer().Aborted = false;
        RemoveTree(folder_);
    }
    std::string folder_;
};

TEST_F(Commands, RunsEachInTurnAndWaits) {
    // The second command only leaves its marker after the first has ended, if the first was waited for.
    std::vector<ExecItem> items = {Item("%Sleeper%", "300 " + folder_ + "\\first.txt"),
                                   Item("%Sleeper%", "0 second.txt", false, folder_)};
    EXPECT_TRUE(RunCommands(items));
    EXPECT_TRUE(Exists(folder_ + "\\first.txt"));
    EXPECT_TRUE(Exists(folder_ + "\\second.txt"));  // written in the command's working folder
    EXPECT_TRUE(RunCommands({}));
}

TEST_F(Commands, MissingProgramWithSilentFailIsSkipped) {
    BoxAnswerer answerer;
    std::vector<ExecItem> items = {Item(folder_ + "\\missing.exe", "", true), Item("%Sleeper%", "0 " + folder_ + "\\after.txt")};
    EXPECT_TRUE(RunCommands(items));
    EXPECT_TRUE(Exists(folder_ + "\\after.txt"));
    EXPECT_TRUE(answerer.Boxes().empty());
    EXPECT_FALSE(Installer().Aborted);
}

TEST_F(Commands, MissingProgramStopsTheList) {
    BoxAnswerer answerer;
    std::string missing = folder_ + "\\missing.exe";
    std::vector<ExecItem> items = {Item(missing, ""), Item("%Sleeper%", "0 " + folder_ + "\\after.txt")};
    EXPECT_FALSE(RunCommands(items));
    EXPECT_FALSE(Exists(folder_ + "\\after.txt"));
    EXPECT_TRUE(Installer().Aborted);
    std::vector<SeenBox> boxes = answerer.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Failed to execute '" + missing + "'");
}

TEST_F(Commands, AbortedEndsTheWaitForALongCommand) {
    bool result = true;
    DWORD ended = 0;
    std::thread worker([&] {
        result = RunCommands({Item("%Sleeper%", "60000"), Item("%Sleeper%", "0 " + folder_ + "\\after.txt")});
        ended = GetTickCount();
    });
    Sleep(500);
    DWORD raised = GetTickCount();
    Installer().Aborted = true;
    worker.join();
    EXPECT_FALSE(result);
    EXPECT_LT(ended - raised, 5000u);  // the wait ended long before the command would have
    EXPECT_FALSE(Exists(folder_ + "\\after.txt"));
    EndProcessesNamed("sleeper.exe");  // the command itself goes on running
}

}  // namespace
