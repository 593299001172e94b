// The in-process box answerer.
#include "tests/win32/box_answerer.h"

BoxAnswerer::BoxAnswerer(int buttonId) : answer_(buttonId), thread_([this] { Watch(); }) {}

BoxAnswerer::~BoxAnswerer() {
    stop_ = true;
    thread_.join();
}

void BoxAnswerer::OnBox(std::function<void(const SeenBox&)> callback) {
    std::lock_guard<std::mutex> hold(lock_);
    onBox_ = std::move(callback);
}

std::vector<SeenBox> BoxAnswerer::Boxes() {
    std::lock_guard<std::mutex> hold(lock_);
    return boxes_;
}

void BoxAnswerer::Watch() {
    RobotProcess self;
    self.id = GetCurrentProcessId();
    while (!stop_) {
        HWND box = WaitForWindow(self, nullptr, "#32770", 0);
        if (!box) {
            Sleep(20);
            continue;
        }
        Sleep(50);  // let the box finish setting up its texts
        SeenBox seen{WindowText(box), MessageBoxText(box)};
        std::function<void(const SeenBox&)> callback;
        {
            std::lock_guard<std::mutex> hold(lock_);
            boxes_.push_back(seen);
            callback = onBox_;
        }
        if (callback) callback(seen);
        AnswerBox(box, answer_);
        for (int i = 0; i < 250 && IsWindow(box); ++i) Sleep(20);
    }
}
