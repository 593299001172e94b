// mksetup's table of page and message text ids must match what the installer really shows:
// every upper-case %ID% of the dialog templates (res/installer.rc) and of the driver's and
// pages' sources, and the message ids the installer's boxes use. A template or message that
// gains an id without the table would let mksetup pass packages whose texts come out empty.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "tests/common/test_files.h"
#include "tools/mksetup/placeholder_ids.h"

namespace {

std::set<std::string> TableIds(PlaceholderUse use) {
    std::set<std::string> ids;
    for (const PlaceholderId& placeholder : PlaceholderIds()) {
        if (placeholder.use == use) ids.insert(placeholder.id);
    }
    return ids;
}

// The %UPPER_CASE% placeholders of a source text, comments left out (they mention "%ID%" as an
// example). Mixed-case names such as %InstallPath% are variables, not text ids.
std::set<std::string> UpperCasePlaceholders(const std::string& text) {
    std::string code = std::regex_replace(text, std::regex("//[^\n]*"), "");
    code = std::regex_replace(code, std::regex("/\\*[\\s\\S]*?\\*/"), "");
    std::set<std::string> ids;
    std::regex placeholder("%([A-Z][A-Z0-9_]*)%");
    for (std::sregex_iterator it(code.begin(), code.end(), placeholder), end; it != end; ++it) ids.insert((*it)[1]);
    return ids;
}

TEST(PlaceholderIds, EachIdOnce) {
    std::set<std::string> seen;
    for (const PlaceholderId& placeholder : PlaceholderIds()) EXPECT_TRUE(seen.insert(placeholder.id).second) << placeholder.id;
}

TEST(PlaceholderIds, PageIdsAreThoseOfTheDialogTemplates) {
    std::string rc = std::string(SOURCE_DIR) + "/res/installer.rc";
    if (!std::filesystem::exists(rc)) GTEST_SKIP() << rc << " is not there yet";
    EXPECT_EQ(UpperCasePlaceholders(ReadTestFile(rc)), TableIds(PlaceholderUse::Page));
}

TEST(PlaceholderIds, MessageIdsAreThoseOfTheInstallersBoxes) {
    EXPECT_EQ(TableIds(PlaceholderUse::Message),
              (std::set<std::string>{"FATAL_POPUP_TITLE", "ABORT_POPUP_TITLE", "ABORT_POPUP_TEXT", "DX_UPGRADE_TEXT",
                                     "DX_UPGRADE_TITLE", "UNINSTALL_ENSURE_NOT_RUNNING_TEXT",
                                     "UNINSTALL_ENSURE_NOT_RUNNING_TITLE"}));
    // Whatever id the installer's code expands must be in the table (pages or messages).
    std::set<std::string> known = TableIds(PlaceholderUse::Message);
    for (const std::string& id : TableIds(PlaceholderUse::Page)) known.insert(id);
    for (const char* folder : {"driver", "ui", "install"}) {
        std::string path = std::string(SOURCE_DIR) + "/" + folder;
        if (!std::filesystem::is_directory(path)) continue;
        for (const auto& file : std::filesystem::recursive_directory_iterator(path)) {
            std::string extension = file.path().extension().string();
            if (extension != ".cpp" && extension != ".h") continue;
            for (const std::string& id : UpperCasePlaceholders(ReadTestFile(file.path().string()))) {
                EXPECT_TRUE(known.count(id)) << "%" << id << "% in " << file.path() << " is not in mksetup's table";
            }
        }
    }
}

}  // namespace
