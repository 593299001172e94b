// The install log stream: CR LF after every line, each line in the file as soon as it is
// written, nothing written when the log could not be opened.
#include <gtest/gtest.h>

#include "install/install_log.h"
#include "tests/common/test_files.h"

namespace {

TEST(InstallLog, EveryLineReachesTheFileAtOnce) {
    std::string path = TestFilePath("install.log");
    ASSERT_TRUE(OpenInstallLog(path));
    EXPECT_TRUE(InstallLogIsOpen());
    WriteLogLine(LogLine::Begin);
    EXPECT_EQ(ReadTestFile(path), "<InstallLog>\r\n");  // read while the log is still open
    WriteLogLine(LogLine::File, "C:\\a & b\nc");
    EXPECT_EQ(ReadTestFile(path), "<InstallLog>\r\n\t<File>C:\\a &amp; b&cr;c</File>\r\n");
    CloseInstallLog();
}

TEST(InstallLog, OpeningTruncatesAnOldLog) {
    std::string path = WriteTestFile("old.log", "old contents that are longer\r\n");
    ASSERT_TRUE(OpenInstallLog(path));
    WriteLogLine(LogLine::End);
    CloseInstallLog();
    EXPECT_EQ(ReadTestFile(path), "</InstallLog>\r\n");
}

TEST(InstallLog, LinesAreDroppedWhenTheLogCannotBeOpened) {
    EXPECT_FALSE(OpenInstallLog(TestFilePath("missing-folder/install.log")));
    EXPECT_FALSE(InstallLogIsOpen());
    WriteLogLine(LogLine::Begin);  // does nothing, and does not crash
}

}  // namespace
