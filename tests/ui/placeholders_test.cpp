// Placeholder substitution: every page's caption and control texts come from the DefineTable
// (nested references included), texts are cut at 16,383 characters, and a %X% pair of an
// undefined name disappears.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "driver/extraction_state.h"
#include "driver/installer_state.h"
#include "tests/ui/page_test_support.h"
#include "tests/win32/robot.h"
#include "ui/page_frame.h"
#include "ui/pages.h"

namespace {

using PageTexts = PageTest;

void CancelWithoutQuestion(HWND page) {
    Installer().Aborted = true;
    PostMessageA(page, WM_COMMAND, IDCANCEL, 0);
}
void FinishWorker(HWND) { PublishWorkerDone(); }
void CloseUnasked(HWND page) { PostMessageA(page, WM_COMMAND, IDCANCEL, 0); }

TEST_F(PageTexts, CaptionAndEveryControlAreExpanded) {
    const struct {
        int (*show)();
        const char* caption;
        std::vector<std::string> controls;  // in template order
        void (*close)(HWND page);
    } pages[] = {
        {ShowWelcomePage,
         "[WELCOME_DIALOG_TITLE]",
         {"[WELCOME_DIALOG_LINE1]", "[WELCOME_DIALOG_LINE2]", "[WELCOME_DIALOG_DIRECTORY]", "C:\\Program Files\\Demo",
          "[WELCOME_DIALOG_MENU_LOCATION]", "Games\\Demo Game", "[BUTTON_CHANGE_SETTINGS]", "[BUTTON_NEXT]",
          "[BUTTON_CANCEL]"},
         CancelWithoutQuestion},
        {ShowOptionsPage,
         "[OPTIONS_DIALOG_TITLE]",
         {"[OPTIONS_DIALOG_LINE1]", "[OPTIONS_DIALOG_DIRECTORY]", "C:\\Program Files\\Demo", "[BUTTON_BROWSE]",
          "[OPTIONS_DIALOG_MENU_LOCATION]", "Games\\Demo Game", "[BUTTON_BACK]", "[BUTTON_NEXT]", "[BUTTON_CANCEL]"},
         CancelWithoutQuestion},
        {ShowLicensePage,
         "[LICENSE_DIALOG_TITLE]",
         {"[LICENSE_DIALOG_LINE1]", "", "[BUTTON_DONT_AGREE]", "[BUTTON_AGREE]"},
         CancelWithoutQuestion},
        {ShowLaunchPage,
         "[LAUNCH_DIALOG_TITLE]",
         {"[LAUNCH_DIALOG_LINE1]", "[LAUNCH_DIALOG_LINE2]", "[LAUNCH_DIALOG_LINE3]", "[LAUNCH_DIALOG_LAUNCH_CHECK]",
          "[BUTTON_VIEW_README]", "[BUTTON_DONE]"},
         CloseUnasked},
        {ShowAbortPage,
         "[ABORT_DIALOG_TITLE]",
         {"[ABORT_DIALOG_LINE1]", "[ABORT_DIALOG_LINE2]", "[ABORT_DIALOG_LINE3]", "[BUTTON_EXIT]"},
         CancelWithoutQuestion},
        {ShowInstallPage,
         "[INSTALL_DIALOG_TITLE]",
         {"[INSTALL_DIALOG_LINE1]", "[INSTALL_DIALOG_EXTRACTING]", "", "[INSTALL_DIALOG_TOTAL_PROGRESS]", "",
          "[BUTTON_CANCEL]"},
         FinishWorker},
        {ShowPreparePage, "Preparing Installer ...", {""}, FinishWorker},
    };
    for (const auto& page : pages) {
        SetUp();
        RunPage(page.show, page.caption, [&](HWND window) {
            EXPECT_EQ(ChildTexts(window, nullptr), page.controls) << page.caption;
            page.close(window);
        });
    }
}

// A bare window with a child, to run the substitution on texts of any length.
struct TextWindows {
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 5, 5, parent, nullptr, nullptr, nullptr);
    ~TextWindows() { DestroyWindow(parent); }
};

std::string FullText(HWND window) {
    std::string text(GetWindowTextLengthA(window) + 1, '\0');
    text.resize(GetWindowTextA(window, &text[0], int(text.size())));
    return text;
}

TEST_F(PageTexts, SubstitutionCutsLongTextsAndDropsUndefinedNames) {
    const struct {
        const char* what;
        std::string text;
        std::string expanded;
    } cases[] = {
        {"16,383 characters stay whole", std::string(16383, 'a'), std::string(16383, 'a')},
        {"a longer text is cut", std::string(20000, 'b'), std::string(16383, 'b')},
        {"cut before expansion", std::string(16380, 'c') + "%InstallName%", std::string(16380, 'c') + "%In"},
        {"an undefined name and its % signs go", "x%NotDefinedAnywhere%y", "xy"},
        {"a defined name is replaced", "Install %InstallName% now", "Install Demo Game now"},
        {"a lone % stays", "100% sure", "100% sure"},
    };
    for (const auto& c : cases) {
        TextWindows windows;
        SetWindowTextA(windows.parent, c.text.c_str());
        SubstitutePlaceholders(windows.parent);
        EXPECT_EQ(FullText(windows.parent), c.expanded) << c.what;
    }
}

TEST_F(PageTexts, SubstitutionReachesChildWindows) {
    TextWindows windows;
    SetWindowTextA(windows.parent, "%InstallName% Setup");
    SetWindowTextA(windows.child, "Games\\%InstallName%");
    SubstitutePlaceholders(windows.parent);
    EXPECT_EQ(FullText(windows.parent), "Demo Game Setup");
    EXPECT_EQ(FullText(windows.child), "Games\\Demo Game");
}

}  // namespace
