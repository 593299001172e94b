// The progress pages: how their bars step, when they close on their own, what the Install page
// shows of the entry being written, and a confirmed Cancel that holds the page until the worker
// is done.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "driver/extraction_state.h"
#include "driver/installer_state.h"
#include "res/resource.h"
#include "tests/ui/page_test_support.h"
#include "tests/win32/robot.h"
#include "tests/win32/robot_owned.h"
#include "ui/pages.h"
#include "ui/progress_steps.h"

namespace {

using ProgressPages = PageTest;

const char* const Prepare = "Preparing Installer ...";
const char* const Install = "[INSTALL_DIALOG_TITLE]";

int BarPosition(HWND page, int bar) { return int(SendDlgItemMessageA(page, bar, PBM_GETPOS, 0, 0)); }

// The Prepare bar after each tick while TotalPercent stays at total.
std::vector<int> PrepareTicks(int shown, int total, int ticks) {
    std::vector<int> positions;
    for (int i = 0; i < ticks; ++i) positions.push_back(shown = NextPrepareShown(shown, total));
    return positions;
}

TEST(ProgressSteps, PrepareBarClimbsByAtMost20AndNeverFalls) {
    EXPECT_EQ(PrepareTicks(0, 100, 6), (std::vector<int>{20, 40, 60, 80, 100, 100}));
    EXPECT_EQ(PrepareTicks(0, 50, 4), (std::vector<int>{20, 40, 50, 50}));
    EXPECT_EQ(PrepareTicks(60, 30, 2), (std::vector<int>{60, 60}));
    EXPECT_EQ(PrepareTicks(0, 0, 1), (std::vector<int>{0}));
}

TEST(ProgressSteps, FileBarRisesBy25FallsAtOnceAndResetsOnANewEntry) {
    const struct {
        int shown, percent, next;
    } ticks[] = {
        {0, 100, 25}, {25, 100, 50}, {90, 100, 100}, {40, 50, 50}, {100, 30, 30}, {30, 0, 0}, {50, 50, 50},
    };
    for (const auto& t : ticks) EXPECT_EQ(NextFileShown(t.shown, t.percent), t.next) << t.shown << "->" << t.percent;

    // A new entry while the bar shows 80 starts it empty; at 40 it first shows the old one full.
    EXPECT_EQ(FileShownAtNewEntry(80), 0);
    EXPECT_EQ(FileShownAtNewEntry(76), 0);
    EXPECT_EQ(FileShownAtNewEntry(75), 100);
    EXPECT_EQ(FileShownAtNewEntry(40), 100);
    EXPECT_EQ(NextFileShown(100, 10), 10);
}

TEST(ProgressSteps, InstallTotalBarCoversNinetyPercent) {
    EXPECT_EQ(InstallTotalShown(0), 0);
    EXPECT_EQ(InstallTotalShown(50), 45);
    EXPECT_EQ(InstallTotalShown(99), 89);
    EXPECT_EQ(InstallTotalShown(100), 90);
}

// A finished worker closes the page once the bar has caught up with its TotalPercent, also when
// that stayed 0 (no bytes under cfg\).
TEST_F(ProgressPages, PrepareClosesWhenTheBarCatchesUpWithAFinishedWorker) {
    for (int total : {100, 40, 0}) {
        SetUp();
        Extraction().TotalPercent = total;
        PublishWorkerDone();
        int result = RunPageUnattended(ShowPreparePage);
        EXPECT_EQ(result, PageNext) << total;
        EXPECT_FALSE(Installer().Aborted);
    }
}

TEST_F(ProgressPages, PrepareFollowsTheWorkerUntilItIsDone) {
    int result = RunPage(ShowPreparePage, Prepare, [](HWND page) {
        Extraction().TotalPercent = 60;
        EXPECT_TRUE(WaitFor([&] { return BarPosition(page, IDC_PREPARE_BAR) == 60; }));
        Extraction().TotalPercent = 100;
        EXPECT_TRUE(WaitFor([&] { return BarPosition(page, IDC_PREPARE_BAR) == 100; }));
        Sleep(300);
        EXPECT_TRUE(IsWindowVisible(page)) << "closed before the worker was done";
        PublishWorkerDone();
    });
    EXPECT_EQ(result, PageNext);
}

// ExtractFailed closes the page at once, whatever the bar shows and without WorkerDone.
TEST_F(ProgressPages, PrepareClosesOnExtractFailed) {
    Extraction().TotalPercent = 30;
    int result = RunPage(ShowPreparePage, Prepare, [](HWND page) {
        EXPECT_TRUE(WaitFor([&] { return BarPosition(page, IDC_PREPARE_BAR) == 30; }));
        Extraction().ExtractFailed = true;
    });
    EXPECT_EQ(result, PageNext);
}

TEST_F(ProgressPages, InstallShowsTheEntryAndBothBars) {
    int result = RunPage(ShowInstallPage, Install, [](HWND page) {
        SetCurrentEntry("sub\\data.pak");
        Extraction().FilePercent = 50;
        Extraction().TotalPercent = 100;
        EXPECT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(page, IDC_EXTRACTING_LINE)) == "[INSTALL_DIALOG_EXTRACTING] sub\\data.pak ..."; }));
        EXPECT_TRUE(WaitFor([&] { return BarPosition(page, IDC_FILE_BAR) == 50; }));
        EXPECT_TRUE(WaitFor([&] { return BarPosition(page, IDC_TOTAL_BAR) == 90; }));

        // The next entry: the bar had got to 50, so it shows 100 and then comes down to 20.
        Extraction().FilePercent = 20;
        SetCurrentEntry("readme.txt");
        EXPECT_TRUE(WaitFor([&] { return WindowText(GetDlgItem(page, IDC_EXTRACTING_LINE)) == "[INSTALL_DIALOG_EXTRACTING] readme.txt ..."; }));
        EXPECT_TRUE(WaitFor([&] { return BarPosition(page, IDC_FILE_BAR) == 20; }));
        Sleep(200);
        EXPECT_TRUE(IsWindowVisible(page)) << "closed before the worker was done";
        PublishWorkerDone();
    });
    EXPECT_EQ(result, PageNext);
}

// A confirmed Cancel sets Aborted and keeps the page until the worker is done; No changes nothing.
TEST_F(ProgressPages, CancelWaitsForTheWorker) {
    const struct {
        int (*show)();
        const char* caption;
        int trigger;  // a button id, or 0 for the close box
    } pages[] = {
        {ShowInstallPage, Install, IDC_CANCEL},
        {ShowPreparePage, Prepare, 0},
    };
    for (const auto& p : pages) {
        SetUp();
        int result = RunPage(p.show, p.caption, [&](HWND page) {
            CancelAnsweringNoThenYes(page, [&] { PostCancel(page, p.trigger); });
            EXPECT_TRUE(WaitFor([] { return Installer().Aborted.load(); }));
            Sleep(400);
            EXPECT_TRUE(IsWindow(page)) << p.caption << " closed before the worker was done";
            PublishWorkerDone();
        });
        EXPECT_EQ(result, PageCancel) << p.caption;
        EXPECT_TRUE(Installer().Aborted);
    }
}

// A worker that finishes while the Cancel question is open does not close the page under it;
// after No the page closes as finished.
TEST_F(ProgressPages, WorkerFinishingDuringTheQuestionAnsweredNo) {
    int result = RunPage(ShowInstallPage, Install, [](HWND page) {
        PostClick(page, IDC_CANCEL);
        HWND box = WaitForOwnedWindow(page, "#32770", 5000);
        ASSERT_TRUE(box != nullptr);
        PublishWorkerDone();
        Sleep(300);
        EXPECT_TRUE(IsWindowVisible(page));
        AnswerBox(box, IDNO);
    });
    EXPECT_EQ(result, PageNext);
    EXPECT_FALSE(Installer().Aborted);
}

}  // namespace
