// The button pages driven as a user would: the result each button gives, the Cancel question
// (No keeps the page, Yes ends it with 2), what Options stores, the License text and the Launch
// check box.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "driver/installer_state.h"
#include "res/resource.h"
#include "tests/common/test_files.h"
#include "tests/ui/page_test_support.h"
#include "tests/win32/robot.h"
#include "tests/win32/robot_owned.h"
#include "ui/pages.h"

namespace {

using ButtonPages = PageTest;

const char* const Welcome = "[WELCOME_DIALOG_TITLE]";
const char* const Options = "[OPTIONS_DIALOG_TITLE]";
const char* const License = "[LICENSE_DIALOG_TITLE]";
const char* const Launch = "[LAUNCH_DIALOG_TITLE]";
const char* const Abort = "[ABORT_DIALOG_TITLE]";

std::string ControlText(HWND page, int id) { return WindowText(GetDlgItem(page, id)); }

TEST_F(ButtonPages, WelcomeEndsWithTheButtonPressed) {
    for (int button : {IDC_NEXT, IDC_CHANGE_SETTINGS}) {
        int result = RunPage(ShowWelcomePage, Welcome, [&](HWND page) { PostClick(page, button); });
        EXPECT_EQ(result, button);
    }
    EXPECT_FALSE(Installer().Aborted);
}

// Cancel asks first; No keeps the page, Yes ends it with 2. The page itself does not set Aborted
// (the driver does, from the result).
TEST_F(ButtonPages, CancelIsAskedOnEveryQuestioningPage) {
    const struct {
        const char* what;
        int (*show)();
        const char* caption;
        int trigger;  // a button id, or 0 for the close box
    } cases[] = {
        {"Welcome Cancel", ShowWelcomePage, Welcome, IDC_CANCEL},
        {"Welcome close box", ShowWelcomePage, Welcome, 0},
        {"Options Cancel", ShowOptionsPage, Options, IDC_CANCEL},
        {"License Don't Agree", ShowLicensePage, License, IDC_CANCEL},
    };
    for (const auto& c : cases) {
        int result = RunPage(c.show, c.caption, [&](HWND page) {
            CancelAnsweringNoThenYes(page, [&] { PostCancel(page, c.trigger); });
        });
        EXPECT_EQ(result, PageCancel) << c.what;
        EXPECT_FALSE(Installer().Aborted) << c.what;
    }
}

// Next stores what the boxes hold, without one trailing separator and cut at 255 characters.
TEST_F(ButtonPages, OptionsNextStoresTheTypedValues) {
    const struct {
        std::string folder, group;
        std::string storedFolder, storedGroup;
    } cases[] = {
        {"D:\\Games\\Demo\\", "My Games\\", "D:\\Games\\Demo", "My Games"},
        {"C:\\", "Games/", "C:", "Games"},
        {"E:\\Play", "Demo", "E:\\Play", "Demo"},
        {"D:\\Two\\\\", "", "D:\\Two\\", ""},
        {std::string(300, 'f'), std::string(256, 'g'), std::string(255, 'f'), std::string(255, 'g')},
    };
    for (const auto& c : cases) {
        int result = RunPage(ShowOptionsPage, Options, [&](HWND page) {
            SetDlgItemTextA(page, IDC_INSTALL_FOLDER, c.folder.c_str());
            SetDlgItemTextA(page, IDC_START_MENU_GROUP, c.group.c_str());
            PostClick(page, IDC_NEXT);
        });
        EXPECT_EQ(result, PageNext);
        EXPECT_EQ(Defines().Lookup("InstallPath"), c.storedFolder) << c.folder;
        EXPECT_EQ(Defines().Lookup("InstallGroup"), c.storedGroup) << c.group;
    }
}

// The boxes show the stored values expanded; Back returns 110 and stores nothing, so the next
// showing starts from the stored values again.
TEST_F(ButtonPages, OptionsBackStoresNothing) {
    for (int showing = 0; showing < 2; ++showing) {
        int result = RunPage(ShowOptionsPage, Options, [&](HWND page) {
            EXPECT_EQ(ControlText(page, IDC_INSTALL_FOLDER), "C:\\Program Files\\Demo");
            EXPECT_EQ(ControlText(page, IDC_START_MENU_GROUP), "Games\\Demo Game");
            SetDlgItemTextA(page, IDC_INSTALL_FOLDER, "Z:\\Elsewhere\\");
            SetDlgItemTextA(page, IDC_START_MENU_GROUP, "Other");
            PostClick(page, IDC_BACK);
        });
        EXPECT_EQ(result, PageBack);
    }
    EXPECT_EQ(Defines().Lookup("InstallPath"), "%ProgramFiles%\\Demo");
    EXPECT_EQ(Defines().Lookup("InstallGroup"), "Games\\%InstallName%");
}

// The picker opens on the deepest existing folder of the typed path; OK puts it into the box.
TEST_F(ButtonPages, OptionsBrowseStartsOnTheDeepestExistingFolder) {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string existing = windows;
    int result = RunPage(ShowOptionsPage, Options, [&](HWND page) {
        SetDlgItemTextA(page, IDC_INSTALL_FOLDER, (existing + "\\no such folder\\nor this").c_str());
        PostClick(page, IDC_BROWSE);
        HWND picker = WaitForOwnedWindow(page, nullptr, 10000);
        ASSERT_TRUE(picker != nullptr) << "no folder picker";
        Sleep(500);  // let it settle on its start folder
        PostMessageA(picker, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntilGone(picker, 5000));
        EXPECT_EQ(ControlText(page, IDC_INSTALL_FOLDER), existing);
        PostClick(page, IDC_BACK);
    });
    EXPECT_EQ(result, PageBack);
}

// license.txt with either line ends shows one line per line, with its placeholders expanded; a
// missing file leaves the box empty and the page usable.
TEST_F(ButtonPages, LicenseShowsTheWorkspaceText) {
    const struct {
        const char* what;
        const char* file;  // null: no license.txt
        std::string shown;
        int lines;
    } cases[] = {
        {"Unix line ends", "First line\nSecond line\nLast line", "First line\r\nSecond line\r\nLast line", 3},
        {"Windows line ends", "First line\r\nSecond line\r\n", "First line\r\nSecond line\r\n", 3},
        {"a placeholder", "This license covers %InstallName%.\n", "This license covers Demo Game.\r\n", 2},
        {"no file", nullptr, "", 1},
    };
    for (const auto& c : cases) {
        std::string path = Installer().Workspace + "\\license.txt";
        DeleteFileA(path.c_str());
        if (c.file) WriteBytes(path, c.file);
        int result = RunPage(ShowLicensePage, License, [&](HWND page) {
            HWND box = GetDlgItem(page, IDC_LICENSE_TEXT);
            EXPECT_EQ(WindowText(box), c.shown) << c.what;
            EXPECT_EQ(SendMessageA(box, EM_GETLINECOUNT, 0, 0), c.lines) << c.what;
            PostClick(page, IDC_NEXT);
        });
        EXPECT_EQ(result, PageNext) << c.what;
    }
}

TEST_F(ButtonPages, LaunchEndsWithTheCheckBoxState) {
    const struct {
        const char* what;
        bool clear;
        int result;
    } cases[] = {
        {"ticked", false, PageDoneAndLaunch},
        {"cleared", true, PageDoneNoLaunch},
    };
    for (const auto& c : cases) {
        int result = RunPage(ShowLaunchPage, Launch, [&](HWND page) {
            EXPECT_EQ(IsDlgButtonChecked(page, IDC_LAUNCH_CHECK), BST_CHECKED) << "not ticked at start";
            if (c.clear) PostMessageA(GetDlgItem(page, IDC_LAUNCH_CHECK), BM_CLICK, 0, 0);
            PostClick(page, IDC_DONE);
        });
        EXPECT_EQ(result, c.result) << c.what;
    }
}

// The close box ends the Launch page at once, without the Cancel question; View Readme with no
// readme in the Workspace opens nothing and keeps the page.
TEST_F(ButtonPages, LaunchClosesUnaskedAndStaysOnViewReadme) {
    int result = RunPage(ShowLaunchPage, Launch, [&](HWND page) {
        PostClick(page, IDC_VIEW_README);
        Sleep(300);
        EXPECT_TRUE(IsWindowVisible(page));
        PostMessageA(page, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, PageCancel);
    EXPECT_FALSE(Installer().Aborted);
}

TEST_F(ButtonPages, AbortPageExitsWithoutQuestionWhenAborted) {
    Installer().Aborted = true;
    int result = RunPage(ShowAbortPage, Abort, [&](HWND page) { PostClick(page, IDC_CANCEL); });
    EXPECT_EQ(result, PageCancel);
}

}  // namespace
