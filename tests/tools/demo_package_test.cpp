// The demo package in examples/demo: its documents load without an error or a warning (so it
// defines every page and message text), and its committed pictures are still what
// demo-bitmaps draws.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/common/test_files.h"
#include "tests/tools/tool_test_support.h"
#include "tools/mksetup/package_check.h"

namespace {

const std::string DemoFolder = std::string(SOURCE_DIR) + "/examples/demo";

TEST(DemoPackage, LoadsWithoutErrorsOrWarnings) {
    PackageCheckResult result;
    ASSERT_TRUE(CheckPackage(DemoFolder + "/cfg", {}, result)) << result.error;
    EXPECT_TRUE(result.warnings.empty()) << result.warnings.front();
}

TEST(DemoPackage, PicturesAreWhatDemoBitmapsDraws) {
    std::string folder = TestFilePath("pictures");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    tooltest::CommandResult run = tooltest::RunCommand(tooltest::Quote(DEMO_BITMAPS_PATH) + " " + tooltest::Quote(folder));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* name : {"logo.bmp", "product.bmp"}) {
        std::string drawn = ReadTestFile(folder + "/" + name);
        EXPECT_FALSE(drawn.empty()) << name;
        EXPECT_TRUE(drawn == ReadTestFile(DemoFolder + "/cfg/" + name)) << name << " differs from what demo-bitmaps draws";
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
