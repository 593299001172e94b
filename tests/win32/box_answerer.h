// Answers the message boxes that code under test shows in this very process: a thread that
// watches for dialog boxes of the process, records their title and text, and presses a button.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/win32/robot.h"

class BoxAnswerer {
public:
    // Every box is answered with buttonId (IDOK, IDYES, IDCANCEL ...).
    explicit BoxAnswerer(int buttonId = 1);
    ~BoxAnswerer();

    void SetAnswer(int buttonId) { answer_ = buttonId; }
    // Called on the watching thread with each box before it is answered.
    void OnBox(std::function<void(const SeenBox&)> callback);
    // The boxes seen so far, in order.
    std::vector<SeenBox> Boxes();

private:
    void Watch();

    std::atomic<int> answer_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<SeenBox> boxes_;
    std::function<void(const SeenBox&)> onBox_;
    std::thread thread_;
};
