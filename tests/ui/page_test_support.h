// What the page tests share: a fixture that puts the installer's state into a known shape (the
// placeholders of every page defined as "[ID]", a Workspace folder of the test's own, the page
// brush and heading font the driver would create), and a runner that shows a page on the test's
// thread while a robot thread drives it, as a user would.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

// The title of ConfirmCancel's box while the fixture's defines are in place.
extern const char* const CancelQuestionTitle;

class PageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Shows a page with show() on this thread; once a page captioned caption is up, robot(page) runs
// on another thread. A page still open 10 s after the robot returned is closed by force and the
// test fails, so a broken page fails its test instead of hanging it.
int RunPage(int (*show)(), const std::string& caption, const std::function<void(HWND page)>& robot);

// Shows a page that is expected to close on its own; one still open after 10 s is closed by force
// and the test fails.
int RunPageUnattended(int (*show)());

// Posts a click on the control with id to page, as a mouse click would.
void PostClick(HWND page, int id);

// Posts the page's Cancel command as the button with id sends it, or as the close box does when
// id is 0.
void PostCancel(HWND page, int id);

// Triggers Cancel with trigger, answers ConfirmCancel's box with No and checks that the page
// stays; triggers it again and answers Yes. The page should then end with 2.
void CancelAnsweringNoThenYes(HWND page, const std::function<void()>& trigger);

// Waits up to timeoutMs for condition to hold, checking every 20 ms.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 3000);
